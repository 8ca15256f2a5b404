#include "core/server/StatsFeed.h"

#include "core/common/AppError.h"
#include "core/server/HtmlReferences.h"
#include "core/server/ModListCheck.h"

#include <pugixml.hpp>

#include <cstring>

namespace tilvane {

namespace {

QString Text(const char* AUtf8) {
  return DecodeHtmlReferences(QString::fromUtf8(AUtf8));
}

} // namespace

const QString* TStatsFeed::HashOf(const QString& AModName) const {
  const auto It = HashByName.constFind(FoldedAscii(AModName));
  return It == HashByName.cend() ? nullptr : &*It;
}

TStatsFeed ParseStatsFeed(const QByteArray& AXml) {
  pugi::xml_document Document;
  const pugi::xml_parse_result Parsed = Document.load_buffer(
      AXml.constData(), static_cast<size_t>(AXml.size()), pugi::parse_default, pugi::encoding_auto);
  if (!Parsed)
    throw EAppError(QStringLiteral("The stats feed is not XML: ") +
                    QString::fromUtf8(Parsed.description()));
  const pugi::xml_node Root = Document.document_element();
  if (std::strcmp(Root.name(), "Server") != 0)
    throw EAppError(QStringLiteral("The page is not a dedicated server's stats feed."));

  TStatsFeed Result;
  // A feed the server is rewriting has no <Mods> yet or an empty one: a feed
  // with no mods, for the caller to judge.
  for (const pugi::xml_node Mod : Root.child("Mods").children("Mod")) {
    TStatsFeedMod Item;
    Item.Name = Text(Mod.attribute("name").value());
    // Without a name the entry matches no archive.
    if (Item.Name.isEmpty())
      continue;
    Item.Author = Text(Mod.attribute("author").value());
    Item.Version = Text(Mod.attribute("version").value());
    Item.Hash = FoldedAscii(QString::fromUtf8(Mod.attribute("hash").value()));
    Item.Title = Text(Mod.text().get());
    // A name listed twice keeps its first hash, as the list keeps its order.
    const QString Key = FoldedAscii(Item.Name);
    if (!Result.HashByName.contains(Key))
      Result.HashByName.insert(Key, Item.Hash);
    Result.Mods.append(std::move(Item));
  }
  return Result;
}

} // namespace tilvane
