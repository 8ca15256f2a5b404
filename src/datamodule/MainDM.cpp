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
const QString CommonSection = QStringLiteral("Common");
const QString FormSection = QStringLiteral("Form");

QString FormKey(const QString& AClassName, const QString& AValueName) {
  return AClassName + QLatin1Char('-') + AValueName;
}
} // namespace

TdmMain::TdmMain(platform::IPlatform& APlatform, IPromptService& APrompts, TErrorReporter AReporter)
    : FPlatform(APlatform), FPrompts(APrompts), FReporter(std::move(AReporter)),
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
    const QString Documents = FromPlatform(FPlatform.DocumentsFolder());
    const QString OldIniFile =
        JoinPath(Documents, NativeRelative(QStringLiteral("My Games\\Orsenby\\Orsenby.ini")));
    const QString IniPath = GetIniFilePath();
    // Orsenby's file in the new folder is a move that ended half-way: it is
    // finished, or the predecessor's settings would be lost for good.
    const bool MovedHalfWay = QFileInfo(JoinPath(IniPath, QStringLiteral("Orsenby.ini"))).isFile();
    if ((QFileInfo(OldIniFile).isFile() || MovedHalfWay) &&
        !QFileInfo::exists(JoinPath(IniPath, QStringLiteral("Tilvane.ini"))))
      UpgradeToTilvane();

    // A folder that cannot be created is not fatal here: the first write to
    // the settings file reports it.
    QDir().mkpath(IniPath);

    FIniFileName = JoinPath(IniPath, QStringLiteral("Tilvane.ini"));
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
    TModFolderList Folders = std::move(FModFolderList);
    FModFolderList.clear();
  }
  {
    std::vector<std::unique_ptr<TIniFile>> GameInis = std::move(FFSIniList);
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
    const QString FileName = FIniFileName.isEmpty()
                                 ? JoinPath(GetIniFilePath(), QStringLiteral("Tilvane.ini"))
                                 : FIniFileName;
    throw EAppError(QStringLiteral("Unable to write to %1").arg(FileName));
  }
  return *FIni;
}

// ---- Application settings -------------------------------------------------

QString TdmMain::GetModManagerModFolders() const {
  const QString DefaultValue = JoinPath(FromPlatform(FPlatform.DocumentsFolder()),
                                        NativeRelative(QStringLiteral("My Games\\Orsenby")));
  if (!FIni)
    return DefaultValue;
  return FIni->ReadString(CommonSection, QStringLiteral("ModManagerModFolders"), DefaultValue);
}

void TdmMain::SetModManagerModFolders(const QString& AValue) {
  AppIni().WriteString(CommonSection, QStringLiteral("ModManagerModFolders"), AValue);
}

QString TdmMain::GetTheme() const {
  if (!FIni)
    return QString();
  return FIni->ReadString(CommonSection, QStringLiteral("Theme"), QString());
}

void TdmMain::SetTheme(const QString& AValue) {
  AppIni().WriteString(CommonSection, QStringLiteral("Theme"), AValue);
}

// ---- Remembered window state ----------------------------------------------

QString TdmMain::GetFormString(const QString& AClassName, const QString& AValueName,
                               const QString& ADefaultValue) const {
  if (!FIni)
    return ADefaultValue;
  return FIni->ReadString(FormSection, FormKey(AClassName, AValueName), ADefaultValue);
}

void TdmMain::SetFormString(const QString& AClassName, const QString& AValueName,
                            const QString& AValue) {
  AppIni().WriteString(FormSection, FormKey(AClassName, AValueName), AValue);
}

int TdmMain::GetFormInteger(const QString& AClassName, const QString& AValueName,
                            int ADefaultValue) const {
  if (!FIni)
    return ADefaultValue;
  return FIni->ReadInteger(FormSection, FormKey(AClassName, AValueName), ADefaultValue);
}

void TdmMain::SetFormInteger(const QString& AClassName, const QString& AValueName, int AValue) {
  AppIni().WriteInteger(FormSection, FormKey(AClassName, AValueName), AValue);
}

bool TdmMain::GetFormBoolean(const QString& AClassName, const QString& AValueName,
                             bool ADefaultValue) const {
  if (!FIni)
    return ADefaultValue;
  return FIni->ReadBool(FormSection, FormKey(AClassName, AValueName), ADefaultValue);
}

void TdmMain::SetFormBoolean(const QString& AClassName, const QString& AValueName, bool AValue) {
  AppIni().WriteBool(FormSection, FormKey(AClassName, AValueName), AValue);
}

QPoint TdmMain::GetFormPos(const QString& AClassName) const {
  return QPoint(GetFormInteger(AClassName, QStringLiteral("X"), NotSaved),
                GetFormInteger(AClassName, QStringLiteral("Y"), NotSaved));
}

void TdmMain::SetFormPos(const QString& AClassName, const QPoint& APoint) {
  SetFormInteger(AClassName, QStringLiteral("X"), APoint.x());
  SetFormInteger(AClassName, QStringLiteral("Y"), APoint.y());
}

QPoint TdmMain::GetFormSize(const QString& AClassName) const {
  return QPoint(GetFormInteger(AClassName, QStringLiteral("Width"), NotSaved),
                GetFormInteger(AClassName, QStringLiteral("Height"), NotSaved));
}

void TdmMain::SetFormSize(const QString& AClassName, const QPoint& APoint) {
  SetFormInteger(AClassName, QStringLiteral("Width"), APoint.x());
  SetFormInteger(AClassName, QStringLiteral("Height"), APoint.y());
}

bool TdmMain::GetFormIsMaximized(const QString& AClassName) const {
  return GetFormBoolean(AClassName, QStringLiteral("IsMaximized"), false);
}

void TdmMain::SetFormIsMaximized(const QString& AClassName, bool AIsMaximized) {
  SetFormBoolean(AClassName, QStringLiteral("IsMaximized"), AIsMaximized);
}

} // namespace tilvane
