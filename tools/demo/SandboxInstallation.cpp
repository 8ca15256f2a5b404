#include "SandboxInstallation.h"

#include "core/common/AtomicFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <csignal>
#include <cstdlib>
#include <stdexcept>

namespace tilvane::demo {

namespace {

// The variables Apply() replaces; the xdg-open hand-over restores them.
const char* const ReplacedVariables[] = {"HOME",           "XDG_CONFIG_HOME", "XDG_DATA_HOME",
                                         "XDG_CACHE_HOME", "TMPDIR",          "PATH"};

void WriteFile(const QString& APath, const QByteArray& AContent, bool AExecutable = false) {
  if (!QDir().mkpath(QFileInfo(APath).absolutePath()))
    throw std::runtime_error("cannot create the folder of " + APath.toStdString());
  QString Error;
  if (!ReplaceFileContents(APath, AContent, Error))
    throw std::runtime_error("cannot write " + APath.toStdString() + ": " + Error.toStdString());
  if (AExecutable)
    QFile::setPermissions(APath, QFile::permissions(APath) | QFile::ExeOwner | QFile::ExeGroup |
                                     QFile::ExeOther);
}

void MakeFolder(const QString& APath) {
  if (!QDir().mkpath(APath))
    throw std::runtime_error("cannot create " + APath.toStdString());
}

// AText as one word of a POSIX shell.
QByteArray ShellWord(const QString& AText) {
  QByteArray Bytes = QFile::encodeName(AText);
  Bytes.replace('\'', "'\\''");
  return '\'' + Bytes + '\'';
}

QByteArray GameSettingsXml(const char* AInGameName) {
  return QByteArrayLiteral("<?xml version=\"1.0\" encoding=\"utf-8\" standalone=\"no\" ?>\n"
                           "<gameSettings revision=\"15\">\n"
                           "    <modsDirectoryOverride active=\"false\" directory=\"C:/Temp\"/>\n"
                           "    <defaultMultiplayerPort>10823</defaultMultiplayerPort>\n"
                           "    <showAllMods>true</showAllMods>\n"
                           "    <onlinePresenceName>") +
         AInGameName +
         QByteArrayLiteral("</onlinePresenceName>\n"
                           "    <player lastPlayerStyleMale=\"true\"/>\n"
                           "    <mpLanguage>0</mpLanguage>\n"
                           "</gameSettings>\n");
}

QByteArray GameXmlContent() {
  return QByteArrayLiteral("<?xml version=\"1.0\" encoding=\"utf-8\" standalone=\"no\" ?>\n"
                           "<game>\n"
                           "    <language>-1</language>\n"
                           "    <audio enable=\"true\" volume=\"1.000000\"/>\n"
                           "    <development>\n"
                           "        <controls>false</controls>\n"
                           "    </development>\n"
                           "</game>\n");
}

} // namespace

TSandboxInstallation::TSandboxInstallation(const QString& ARoot)
    : FRoot(QDir(ARoot).absolutePath()) {}

QString TSandboxInstallation::Home() const {
  return FRoot + QStringLiteral("/home");
}
QString TSandboxInstallation::Documents() const {
  return Home() + QStringLiteral("/Documents");
}
QString TSandboxInstallation::SteamFolder() const {
  return Home() + QStringLiteral("/.local/share/Steam");
}
QString TSandboxInstallation::Library() const {
  return FRoot + QStringLiteral("/SteamLibrary");
}
QString TSandboxInstallation::Executable(TFSVersion FSVersion) const {
  return Library() + QStringLiteral("/steamapps/common/Farming Simulator ") +
         FSVersionToNumberStr(FSVersion) + u'/' + FSExeName(FSVersion);
}
QString TSandboxInstallation::MyGames(TFSVersion FSVersion) const {
  return Documents() + QStringLiteral("/My Games/FarmingSimulator20") +
         FSVersionToNumberStr(FSVersion);
}
QString TSandboxInstallation::GameSettings(TFSVersion FSVersion) const {
  return MyGames(FSVersion) + QStringLiteral("/gameSettings.xml");
}
QString TSandboxInstallation::GameXml(TFSVersion FSVersion) const {
  return MyGames(FSVersion) + QStringLiteral("/game.xml");
}
QString TSandboxInstallation::LogFile(TFSVersion FSVersion) const {
  return MyGames(FSVersion) + QStringLiteral("/log.txt");
}
QString TSandboxInstallation::ModsRoot(TFSVersion FSVersion) const {
  return Home() + QStringLiteral("/Mods/") + FSTabCaption(FSVersion);
}
QString TSandboxInstallation::BinFolder() const {
  return FRoot + QStringLiteral("/bin");
}
QString TSandboxInstallation::GamePidFile(TFSVersion FSVersion) const {
  return FRoot + QStringLiteral("/run/") + FSProcessName(FSVersion) + QStringLiteral(".pid");
}

void TSandboxInstallation::Create(const TOptions& AOptions) {
  MakeFolder(Home() + QStringLiteral("/Desktop"));
  MakeFolder(FRoot + QStringLiteral("/tmp"));
  MakeFolder(FRoot + QStringLiteral("/run"));
  // The documents folder as the desktop names it; the platform reads this file.
  WriteFile(Home() + QStringLiteral("/.config/user-dirs.dirs"),
            "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\nXDG_DOCUMENTS_DIR=\"$HOME/Documents\"\n");
  // Steam's own library is empty; the games sit in a second one, found
  // through libraryfolders.vdf as on a machine with a games disk.
  MakeFolder(SteamFolder() + QStringLiteral("/steamapps/common"));
  WriteFile(SteamFolder() + QStringLiteral("/config/libraryfolders.vdf"),
            "\"libraryfolders\"\n{\n\t\"0\"\n\t{\n\t\t\"path\"\t\t\"" +
                QFile::encodeName(SteamFolder()) +
                "\"\n\t\t\"label\"\t\t\"\"\n\t\t\"apps\"\n\t\t{\n\t\t}\n\t}\n\t\"1\"\n\t{\n"
                "\t\t\"path\"\t\t\"" +
                QFile::encodeName(Library()) +
                "\"\n\t\t\"label\"\t\t\"Games\"\n\t\t\"apps\"\n\t\t{\n"
                "\t\t\t\"1248130\"\t\t\"32212254720\"\n\t\t\t\"2300320\"\t\t\"42949672960\"\n"
                "\t\t}\n\t}\n}\n");
  for (const TFSVersion FSVersion : Games()) {
    // A stub: xdg-open recognises the path, the file is never run.
    WriteFile(Executable(FSVersion), "MZ");
    WriteFile(GameSettings(FSVersion),
              GameSettingsXml(FSVersion == TFSVersion::fsv22 ? "Farmer22" : "Farmer25"));
    WriteFile(GameXml(FSVersion), GameXmlContent());
    MakeFolder(ModsRoot(FSVersion));
  }
  WriteXdgOpen(AOptions);
}

void TSandboxInstallation::WriteXdgOpen(const TOptions& AOptions) const {
  // The desktop's opener, found before the sandbox's bin goes first on PATH.
  const QString RealOpener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
  QByteArray Script =
      "#!/bin/sh\n"
      "# The sandbox's opener: the games' executables start the stand-in game under the\n"
      "# game's process name; anything else goes to the desktop's opener, which runs\n"
      "# with the player's own environment.\n"
      "case \"$1\" in\n";
  for (const TFSVersion FSVersion : Games()) {
    Script += ShellWord(Executable(FSVersion)) + ")\n";
    Script += "  mkdir -p " + ShellWord(MyGames(FSVersion)) + "\n";
    Script += "  bash -c 'exec -a \"$0\" \"$@\"' " + ShellWord(FSProcessName(FSVersion)) + ' ' +
              ShellWord(AOptions.FakeGame) + " --log " + ShellWord(LogFile(FSVersion)) +
              " --settings " + ShellWord(GameSettings(FSVersion)) + " --title " +
              ShellWord(FSExeName(FSVersion).chopped(4)) + " --seconds " +
              QByteArray::number(AOptions.GameSeconds) + " </dev/null >/dev/null 2>&1 &\n";
    Script += "  echo $! > " + ShellWord(GamePidFile(FSVersion)) + "\n  exit 0 ;;\n";
  }
  Script += "esac\n";
  for (const char* Name : ReplacedVariables) {
    if (qEnvironmentVariableIsSet(Name))
      Script += QByteArray("export ") + Name + '=' + ShellWord(qEnvironmentVariable(Name)) + '\n';
    else
      Script += QByteArray("unset ") + Name + '\n';
  }
  if (RealOpener.isEmpty())
    Script += "echo \"xdg-open: no opener for $1 on this machine\" >&2\nexit 3\n";
  else
    Script += "exec " + ShellWord(RealOpener) + " \"$@\"\n";
  WriteFile(BinFolder() + QStringLiteral("/xdg-open"), Script, true);
}

void TSandboxInstallation::Apply() const {
  const QByteArray Root = QFile::encodeName(FRoot);
  const QByteArray HomePath = QFile::encodeName(Home());
  // X needs its cookie, which sits in the real home unless the session says
  // where; the moved home would hide it.
  if (!qEnvironmentVariableIsSet("XAUTHORITY")) {
    const QString Cookie = QDir::homePath() + QStringLiteral("/.Xauthority");
    if (QFileInfo::exists(Cookie))
      qputenv("XAUTHORITY", QFile::encodeName(Cookie));
  }
  const QByteArray Path = qgetenv("PATH");
  qputenv("PATH", QFile::encodeName(BinFolder()) + (Path.isEmpty() ? QByteArray() : ':' + Path));
  qputenv("HOME", HomePath);
  qputenv("XDG_CONFIG_HOME", HomePath + "/.config");
  qputenv("XDG_DATA_HOME", HomePath + "/.local/share");
  qputenv("XDG_CACHE_HOME", HomePath + "/.cache");
  qputenv("TMPDIR", Root + "/tmp");
}

QString TSandboxInstallation::ProgramLauncher() const {
  return FRoot + QStringLiteral("/tilvane");
}

QString TSandboxInstallation::GameCommand(TFSVersion FSVersion) const {
  return QStringLiteral("xdg-open ") + QString::fromUtf8(ShellWord(Executable(FSVersion)));
}

void TSandboxInstallation::WriteProgramLauncher(const QString& AProgram) const {
  const QByteArray Root = ShellWord(FRoot);
  const QByteArray HomePath = ShellWord(Home());
  QByteArray Script = "#!/bin/sh\n"
                      "# Tilvane in the demo's sandbox: its home, its games, its opener.\n";
  Script += "export HOME=" + HomePath + "\n";
  Script += "export XDG_CONFIG_HOME=" + HomePath + "/.config\n";
  Script += "export XDG_DATA_HOME=" + HomePath + "/.local/share\n";
  Script += "export XDG_CACHE_HOME=" + HomePath + "/.cache\n";
  Script += "export TMPDIR=" + Root + "/tmp\n";
  Script += "export PATH=" + ShellWord(BinFolder()) + ":\"$PATH\"\n";
  Script += "exec " + ShellWord(AProgram) + " \"$@\"\n";
  WriteFile(ProgramLauncher(), Script, true);
}

void TSandboxInstallation::StopGames() const {
  for (const TFSVersion FSVersion : Games()) {
    QFile PidFile(GamePidFile(FSVersion));
    if (!PidFile.open(QIODevice::ReadOnly))
      continue;
    const int Pid = PidFile.readAll().trimmed().toInt();
    // Only the process the sandbox started, and only while it still is the
    // stand-in game: a reused id belongs to somebody else.
    QFile CmdLine(QStringLiteral("/proc/%1/cmdline").arg(Pid));
    if (Pid > 0 && CmdLine.open(QIODevice::ReadOnly) &&
        CmdLine.readAll().startsWith(FSProcessName(FSVersion).toUtf8()))
      ::kill(Pid, SIGTERM);
  }
}

} // namespace tilvane::demo
