#include "core/server/HtmlReferences.h"

#include <gtest/gtest.h>

namespace tilvane {
namespace {

TEST(HtmlReferencesTest, DecodesEachReferenceOnceAndLeavesTheRest) {
  const struct {
    const char* Text;
    const char* Decoded;
  } Cases[] = {
      {"", ""},
      {"Kastor [D-S-Agrarservice]", "Kastor [D-S-Agrarservice]"},
      {"Kastor [D-S-Agrarservice&#93;", "Kastor [D-S-Agrarservice]"},
      {"&#x5D;&#X5d;&#0000093;", "]]]"},
      {"&amp;&lt;&gt;&quot;&apos;", "&<>\"'"},
      {"a&nbsp;b", "a\u00a0b"},
      {"&#xE4;&#228;&#x65E5;", "\u00e4\u00e4\u65e5"},
      {"&#x1F600;=&#128512;", "\U0001F600=\U0001F600"},
      // Once only: the result of one step is not decoded again.
      {"&amp;amp;", "&amp;"},
      {"&amp;#93;", "&#93;"},
      // Unknown names and names in another letter case.
      {"&copy; &Amp; &AMP; &unknown; &;", "&copy; &Amp; &AMP; &unknown; &;"},
      // Numbers that are no characters.
      {"&#; &#x; &#12a; &#xZZ; &#-5; &# 93;", "&#; &#x; &#12a; &#xZZ; &#-5; &# 93;"},
      {"&#0; &#x0;", "&#0; &#x0;"},
      {"&#x110000; &#1114112; &#99999999999999999999;",
       "&#x110000; &#1114112; &#99999999999999999999;"},
      {"&#xD800; &#xDFFF; &#55296; &#57343;", "&#xD800; &#xDFFF; &#55296; &#57343;"},
      {"&#xD7FF;&#xE000;", "\ud7ff\ue000"},
      // A '&' with no reference after it.
      {"A & B; C", "A & B; C"},
      {"Me & you", "Me & you"},
      {"&#93", "&#93"},
      {"&&amp;", "&&"},
      {"a&b&#93;", "a&b]"},
      {"&amp", "&amp"},
  };
  for (const auto& Case : Cases)
    EXPECT_EQ(DecodeHtmlReferences(QString::fromUtf8(Case.Text)), QString::fromUtf8(Case.Decoded))
        << Case.Text;
}

} // namespace
} // namespace tilvane
