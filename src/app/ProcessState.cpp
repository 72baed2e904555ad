#include "ProcessState.h"

#include "store/LocalStore.h"

QSqlDatabase ProcessState::DbConn()
{
    return LocalStore::connection();
}
