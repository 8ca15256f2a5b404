#include "core/common/TextCodecs.h"

#include <gtest/gtest.h>

namespace tilvane {
namespace {

// The edges of the range the code page changes, its undefined bytes and the
// ends of the byte range.
TEST(DecodeWindows1252, MapsEveryByteToOneCharacter) {
  const struct {
    QByteArray Bytes;
    QString Expected;
  } cases[] = {
      {QByteArray(), QString()},
      {QByteArray("a\0b", 3), QString::fromUtf16(u"a\0b", 3)},
      {"\x7F\x80\x81\x8D\x8F\x90\x9D",
       QStringLiteral("\u007F\u20AC\u0081\u008D\u008F\u0090\u009D")},
      {"\x8A\x91\x92\x99\x9F", QStringLiteral("\u0160\u2018\u2019\u2122\u0178")},
      {"\xA0\xE9\xFF", QStringLiteral("\u00A0\u00E9\u00FF")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Bytes.toHex().constData());
    EXPECT_EQ(DecodeWindows1252(c.Bytes), c.Expected);
  }
}

} // namespace
} // namespace tilvane
