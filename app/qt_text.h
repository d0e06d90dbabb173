#pragma once

#include <QString>

#include "text/text.h"

namespace qingwu {

// The window's two crossings between the program's GBK texts and Qt's UTF-16 strings. Every text
// shown in a control goes through ToQString, every text read from one through ToText; both follow
// the code page 936 rules of text/gbk.h and never fail.
QString ToQString(TextView gbk);
Text ToText(const QString& text);

}  // namespace qingwu
