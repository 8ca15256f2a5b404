#pragma once

#include <QString>

namespace tilvane {

// AText with its HTML character references decoded: &amp; &lt; &gt; &quot;
// &apos; &nbsp; and the numeric &#NN; and &#xHH;. A name it does not know, a
// reference without its ';' and a number that is no character stay as they
// are. One pass: "&amp;lt;" gives "&lt;".
QString DecodeHtmlReferences(const QString& AText);

} // namespace tilvane
