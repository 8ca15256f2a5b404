#include "datamodule/MainDM.h"

#include "core/common/AppError.h"
#include "core/common/CommonUtilities.h"
#include "core/common/EventLoopWaitService.h"
#include "core/common/Paths.h"
#include "platform/Platform.h"

#include <QDir>
#include <QFileInfo>

#include <cstdio>

namespace tilvane {

namespace {
const QString kCommonSection = QStringLiteral("Common");
const QString kFormSection = QStringLiteral("Form");

QString FormKey(const QString& AClassName, const QString& AValueName) {
  return AClassName + QLatin1Char('-') + AValueName;
}
} // namespace

TdmMain::TdmMain(platform::IPlatform& platform, IPromptService& prompts, TErrorReporter reporter)
    : FPlatform(platform), FPrompts(prompts), FReporter(std::move(reporter)),
      FDefaultWait(std::make_unique<TEventLoopWaitService>()), FWait(FDefaultWait.get()) {
  DataModuleCreate();
}

void TdmMain::SetWaitService(IWaitService* AService) {
  FWait = AService ? AService : FDefaultWait.get();
}

TdmMain::~TdmMain() {
  DataModuleDestroy();
}

void TdmMain::DataModuleCreate() {
  try {
    // The predecessor's settings move over once, before the settings file is
    // opened, so that the file the move creates is the one opened below.
    const QString documents = FromPlatform(FPlatform.DocumentsFolder());
    const QString oldIniFile =
        JoinPath(documents, NativeRelative(QStringLiteral("My Games\\Orsenby\\Orsenby.ini")));
    const QString iniPath = GetIniFilePath();
    // Orsenby's file in the new folder is a move that ended half-way: it is
    // finished, or the predecessor's settings would be lost for good.
    const bool movedHalfWay = QFileInfo(JoinPath(iniPath, QStringLiteral("Orsenby.ini"))).isFile();
    if ((QFileInfo(oldIniFile).isFile() || movedHalfWay) &&
        !QFileInfo::exists(JoinPath(iniPath, QStringLiteral("Tilvane.ini"))))
      UpgradeToTilvane();

    // A folder that cannot be created is not fatal here: the first write to
    // the settings file reports it.
    QDir().mkpath(iniPath);

    FIniFileName = JoinPath(iniPath, QStringLiteral("Tilvane.ini"));
    FIni = std::make_unique<TIniFile>(FIniFileName, FPlatform);

    // The settings file is not for the user's eyes; a failure costs only looks.
    if (QFileInfo::exists(FIniFileName))
      FPlatform.SetHidden(ToPlatform(FIniFileName), true);

    FSaveModPageFolder = GetDesktopFolderPath(FPlatform);
  } catch (...) {
    if (!FReporter)
      throw;
    FReporter(std::current_exception());
  }
}

void TdmMain::ReportError(std::exception_ptr AError) {
  if (FReporter) {
    FReporter(AError);
    return;
  }
  std::fprintf(stderr, "Tilvane: %s\n", qUtf8Printable(ExceptionMessage(AError)));
}

void TdmMain::RunReported(const std::function<void()>& AHandler) {
  try {
    AHandler();
  } catch (...) {
    ReportError(std::current_exception());
  }
}

void TdmMain::DataModuleDestroy() {
  // Each owner lets go of its reference before the object dies, so nothing
  // reached from a destructor sees a half-destroyed member.
  FIni.reset();
  {
    TModFolderList folders = std::move(FModFolderList);
    FModFolderList.clear();
  }
  {
    std::vector<std::unique_ptr<TIniFile>> gameInis = std::move(FFSIniList);
    FFSIniList.clear();
  }
}

QString TdmMain::GetIniFilePath() const {
  return SettingsFolder(FPlatform);
}

QString TdmMain::SettingsFolder(platform::IPlatform& APlatform) {
  return JoinPath(FromPlatform(APlatform.DocumentsFolder()),
                  NativeRelative(QStringLiteral("My Games\\Tilvane")));
}

TIniFile& TdmMain::AppIni() const {
  if (!FIni) {
    // Start-up stopped before the settings file was opened.
    const QString fileName = FIniFileName.isEmpty()
                                 ? JoinPath(GetIniFilePath(), QStringLiteral("Tilvane.ini"))
                                 : FIniFileName;
    throw EAppError(QStringLiteral("Unable to write to %1").arg(fileName));
  }
  return *FIni;
}

// ---- Application settings -------------------------------------------------

QString TdmMain::GetModManagerModFolders() const {
  const QString defaultValue = JoinPath(FromPlatform(FPlatform.DocumentsFolder()),
                                        NativeRelative(QStringLiteral("My Games\\Orsenby")));
  if (!FIni)
    return defaultValue;
  return FIni->ReadString(kCommonSection, QStringLiteral("ModManagerModFolders"), defaultValue);
}

void TdmMain::SetModManagerModFolders(const QString& Value) {
  AppIni().WriteString(kCommonSection, QStringLiteral("ModManagerModFolders"), Value);
}

QString TdmMain::GetTheme() const {
  if (!FIni)
    return QString();
  return FIni->ReadString(kCommonSection, QStringLiteral("Theme"), QString());
}

void TdmMain::SetTheme(const QString& Value) {
  AppIni().WriteString(kCommonSection, QStringLiteral("Theme"), Value);
}

// ---- Remembered window state ----------------------------------------------

QString TdmMain::GetFormString(const QString& AClassName, const QString& AValueName,
                               const QString& ADefaultValue) const {
  if (!FIni)
    return ADefaultValue;
  return FIni->ReadString(kFormSection, FormKey(AClassName, AValueName), ADefaultValue);
}

void TdmMain::SetFormString(const QString& AClassName, const QString& AValueName,
                            const QString& AValue) {
  AppIni().WriteString(kFormSection, FormKey(AClassName, AValueName), AValue);
}

int TdmMain::GetFormInteger(const QString& AClassName, const QString& AValueName,
                            int ADefaultValue) const {
  if (!FIni)
    return ADefaultValue;
  return FIni->ReadInteger(kFormSection, FormKey(AClassName, AValueName), ADefaultValue);
}

void TdmMain::SetFormInteger(const QString& AClassName, const QString& AValueName, int AValue) {
  AppIni().WriteInteger(kFormSection, FormKey(AClassName, AValueName), AValue);
}

bool TdmMain::GetFormBoolean(const QString& AClassName, const QString& AValueName,
                             bool ADefaultValue) const {
  if (!FIni)
    return ADefaultValue;
  return FIni->ReadBool(kFormSection, FormKey(AClassName, AValueName), ADefaultValue);
}

void TdmMain::SetFormBoolean(const QString& AClassName, const QString& AValueName, bool AValue) {
  AppIni().WriteBool(kFormSection, FormKey(AClassName, AValueName), AValue);
}

QPoint TdmMain::GetFormPos(const QString& AClassName) const {
  return QPoint(GetFormInteger(AClassName, QStringLiteral("X"), NotSaved),
                GetFormInteger(AClassName, QStringLiteral("Y"), NotSaved));
}

void TdmMain::SetFormPos(const QString& AClassName, const QPoint& Point) {
  SetFormInteger(AClassName, QStringLiteral("X"), Point.x());
  SetFormInteger(AClassName, QStringLiteral("Y"), Point.y());
}

QPoint TdmMain::GetFormSize(const QString& AClassName) const {
  return QPoint(GetFormInteger(AClassName, QStringLiteral("Width"), NotSaved),
                GetFormInteger(AClassName, QStringLiteral("Height"), NotSaved));
}

void TdmMain::SetFormSize(const QString& AClassName, const QPoint& Point) {
  SetFormInteger(AClassName, QStringLiteral("Width"), Point.x());
  SetFormInteger(AClassName, QStringLiteral("Height"), Point.y());
}

bool TdmMain::GetFormIsMaximized(const QString& AClassName) const {
  return GetFormBoolean(AClassName, QStringLiteral("IsMaximized"), false);
}

void TdmMain::SetFormIsMaximized(const QString& AClassName, bool IsMaximized) {
  SetFormBoolean(AClassName, QStringLiteral("IsMaximized"), IsMaximized);
}

} // namespace tilvane
