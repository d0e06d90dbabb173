#include "app/qt_text.h"

#include <string>

#include "text/gbk.h"

namespace qingwu {

QString ToQString(TextView gbk) {
    const std::u16string utf16 = GbkToUtf16(gbk);
    return QString::fromUtf16(utf16.data(), static_cast<qsizetype>(utf16.size()));
}

Text ToText(const QString& text) {
    return Utf16ToGbk(std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()),
                                          static_cast<std::size_t>(text.size())));
}

}  // namespace qingwu
