// server.txt: the first field, whatever the file holds.
#include "FuzzInput.h"
#include "service/ServerAddressFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const bool truncated = size > 0 && (data[0] & 1);
    const QString address =
        ServerAddressFile::addressFromContent(FuzzInput::bytes(data, size).toByteArray(), truncated);
    FuzzInput::require(address.isEmpty() || (address.startsWith(u"http:/") && address.size() > 6));
    FuzzInput::require(!address.contains(QChar(0)) && !address.contains(u'\n') && !address.contains(u'\r'));
    return 0;
}
