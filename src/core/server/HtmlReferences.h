#pragma once

#include <QString>

namespace tilvane {

// Decodes HTML character references once: numeric ones ("&#93;", "&#x5D;")
// and the named "&amp;", "&lt;", "&gt;", "&quot;", "&apos;" and "&nbsp;".
// The dedicated server escapes the '&' of text that was escaped already, so
// after the page's own decoding "[A&#93;" is still left for this step. What
// is no such reference (an unknown name, a number that names no character, a
// missing ';') stays as it is.
QString DecodeHtmlReferences(const QString& AText);

} // namespace tilvane
