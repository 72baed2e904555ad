// The module's entry point: the keyword list box behind the interface the keyword window uses.
#include "keywordlist/KeywordList.h"
#include "keywordlist/KeywordListBox.h"

extern "C" Q_DECL_EXPORT KeywordList* quillon_create_keyword_list(QWidget* parent)
{
    return new KeywordListBox(parent);
}
