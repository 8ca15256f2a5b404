#include "core/update/DownloadCheck.h"

#include "core/common/AppError.h"
#include "core/common/PromptService.h"
#include "core/server/ModListCheck.h"
#include "core/server/ParseServerModList.h"
#include "core/update/ModArchiveReader.h"

#include <QFile>
#include <QFileInfo>

namespace tilvane {

// The reader tells a player about a description it cannot parse; a download
// under test is no archive of the player's yet, so its complaint becomes the
// reason instead.
class TDownloadCheck::TSilentPrompts : public IPromptService {
public:
  void ShowMessage(const QString& AText, TMessageKind) override { FLast = AText; }
  bool AskYesNo(const QString&, bool) override { return false; }
  QString OpenFile(const TFileDialogOptions&) override { return {}; }
  QString SaveFile(const TFileDialogOptions&) override { return {}; }
  QString PickFolder(const QString&, const QString&) override { return {}; }

  QString TakeLast() { return std::exchange(FLast, QString()); }

private:
  QString FLast;
};

namespace {

bool IsWebPageType(const QString& AContentType) {
  const QString Type = AContentType.section(u';', 0, 0).trimmed();
  return Type.compare(QLatin1String("text/html"), Qt::CaseInsensitive) == 0 ||
         Type.compare(QLatin1String("application/xhtml+xml"), Qt::CaseInsensitive) == 0;
}

// A body that opens like markup: an error or login page sent without a type.
bool LooksLikeMarkup(const QString& APath) {
  QFile File(APath);
  if (!File.open(QIODevice::ReadOnly))
    return false;
  const QByteArray Start = File.read(512).trimmed();
  return Start.startsWith('<');
}

} // namespace

TDownloadCheck::TDownloadCheck(const QString& ATempFolder)
    : FPrompts(std::make_unique<TSilentPrompts>()),
      FReader(std::make_unique<TModArchiveReader>(ATempFolder, *FPrompts)) {}

TDownloadCheck::~TDownloadCheck() = default;

QString TDownloadCheck::WebPageText(const QString& AFileName) {
  return AFileName + QLatin1String(": the server sent a web page, not a mod archive.");
}

QString TDownloadCheck::Rejection(const QString& APartial, const QString& AContentType,
                                  const TServerMod& AMod, TModInfo& AInfo) {
  const QString& Name = AMod.FileName;
  if (IsWebPageType(AContentType))
    return WebPageText(Name);
  if (!TModArchiveReader::IsValidZip(APartial)) {
    if (LooksLikeMarkup(APartial))
      return WebPageText(Name);
    return Name + QLatin1String(": the download is incomplete or damaged; it is no zip archive.");
  }
  try {
    AInfo = FReader->GetModFileInfo(APartial);
  } catch (const std::exception& Error) {
    // The reader names the file it read: the partial download's name means
    // nothing to the player.
    QString Reason = ExceptionText(Error);
    Reason.replace(QFileInfo(APartial).fileName(), Name);
    return Name + QLatin1String(": the download is no readable mod archive (") + Reason +
           QLatin1String(").");
  }
  const QString Complaint = FPrompts->TakeLast();
  if (!Complaint.isEmpty()) {
    return Name + QLatin1String(": the download's modDesc.xml cannot be read.");
  }
  if (!SameTextAscii(AInfo.Author, AMod.Author) || !SameTextAscii(AInfo.Version, AMod.Version)) {
    return Name + QStringLiteral(": the download is version %1 by \"%2\"; the server lists version "
                                 "%3 by \"%4\".")
                      .arg(AInfo.Version, AInfo.Author, AMod.Version, AMod.Author);
  }
  return {};
}

} // namespace tilvane
