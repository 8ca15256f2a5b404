// A stand-in for Farming Simulator on a machine without it: the demo's
// xdg-open starts it under the game's process name. It writes a log.txt as
// the game does (a header, the mods it found in the folder gameSettings.xml
// names, then a steady trickle of lines with warnings and errors), and ends
// after the given time or on SIGTERM. Plain C++: it must start in an instant.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <regex>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::atomic<bool> GStop{false};

void OnSignal(int) {
  GStop = true;
}

struct TOptions {
  std::string Log;
  std::string Settings;
  std::string Title = "FarmingSimulator2025";
  int Seconds = 60;
};

std::optional<TOptions> ReadOptions(int argc, char** argv) {
  TOptions Options;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string Name = argv[i];
    const std::string Value = argv[i + 1];
    if (Name == "--log")
      Options.Log = Value;
    else if (Name == "--settings")
      Options.Settings = Value;
    else if (Name == "--title")
      Options.Title = Value;
    else if (Name == "--seconds")
      Options.Seconds = std::atoi(Value.c_str());
    else
      return std::nullopt;
  }
  if (Options.Log.empty())
    return std::nullopt;
  return Options;
}

// "2026-07-22 16:04:32.767 ", the game's stamp in front of every line.
std::string Stamp() {
  const auto Now = std::chrono::system_clock::now();
  const std::time_t Seconds = std::chrono::system_clock::to_time_t(Now);
  const auto Millis =
      std::chrono::duration_cast<std::chrono::milliseconds>(Now.time_since_epoch()).count() % 1000;
  std::tm Local{};
  localtime_r(&Seconds, &Local);
  char Text[40];
  const size_t Length = std::strftime(Text, sizeof(Text), "%Y-%m-%d %H:%M:%S", &Local);
  std::snprintf(Text + Length, sizeof(Text) - Length, ".%03d ", static_cast<int>(Millis));
  return Text;
}

// The folder the game's settings make its mods folder, when the override is on.
std::string ModsFolder(const std::string& ASettings) {
  std::ifstream In(ASettings);
  const std::string Text((std::istreambuf_iterator<char>(In)), std::istreambuf_iterator<char>());
  std::smatch Match;
  static const std::regex Override(
      R"re(<modsDirectoryOverride\s+active="true"\s+directory="([^"]*)")re");
  return std::regex_search(Text, Match, Override) ? Match[1].str() : std::string();
}

std::vector<std::string> ModNames(const std::string& AFolder) {
  std::vector<std::string> Names;
  std::error_code Error;
  for (const auto& Entry : fs::directory_iterator(AFolder, Error)) {
    if (Entry.path().extension() == ".zip")
      Names.push_back(Entry.path().stem().string());
  }
  std::sort(Names.begin(), Names.end());
  return Names;
}

class TLog {
public:
  explicit TLog(const std::string& APath) : FPath(APath), FOut(APath, std::ios::trunc) {}
  bool Good() const { return static_cast<bool>(FOut); }
  // Stamped like the game's own lines; false once the folder is gone.
  bool Line(const std::string& AText) {
    FOut << Stamp() << AText << "\r\n";
    FOut.flush();
    return static_cast<bool>(FOut) && fs::exists(fs::path(FPath).parent_path());
  }
  void Plain(const std::string& AText) {
    FOut << AText << "\r\n";
    FOut.flush();
  }

private:
  std::string FPath;
  std::ofstream FOut;
};

// What the running game says, over and over: mostly plain lines, some
// warnings, now and then an error.
const char* const Steady[] = {
    "Loading savegame 'savegame1'",
    "  Warning (performance): Foliage lod 1 mesh 'meadow' 'cutRolled' is much larger than lod 0",
    "Started 3 threads for threadpool 'GIANTS Render threadpool'",
    "Field 12: harvest finished (wheat, 4,210 l)",
    "  Warning: Shape 'leaf_springs' from 'DemoTractor.i3d.shapes' is too big (15775 KB).",
    "Vehicle 'Service Trailer' bought for 45,000",
    "Error: Failed to open xml file 'placeables/siloExtension/silo.xml'.",
    "Weather: rain expected in 2 hours",
    "  Warning (beltMeshes_materialHolder): Unknown fillType \"ONION\" in user attribute "
    "'fillType'",
    "Autosave finished in 412 ms",
};

} // namespace

int main(int argc, char** argv) {
  const std::optional<TOptions> Options = ReadOptions(argc, argv);
  if (!Options) {
    std::fprintf(stderr,
                 "usage: %s --log <log.txt> [--settings <gameSettings.xml>] "
                 "[--title <name>] [--seconds <n>]\n",
                 argv[0]);
    return 2;
  }
  std::signal(SIGTERM, OnSignal);
  std::signal(SIGINT, OnSignal);
  TLog Log(Options->Log);
  if (!Log.Good())
    return 1;
  Log.Plain("GIANTS Engine Runtime 10.0.0 (Tilvane demo stand-in)");
  Log.Plain("Copyright (c) 2008-2026, GIANTS Software GmbH (giants-software.com), All Rights "
            "Reserved.");
  Log.Plain("Application: " + Options->Title);
  const std::string Folder =
      Options->Settings.empty() ? std::string() : ModsFolder(Options->Settings);
  Log.Line("Mod directory: " + (Folder.empty() ? std::string("(the game's own)") : Folder));
  for (const std::string& Name : Folder.empty() ? std::vector<std::string>() : ModNames(Folder))
    Log.Line("Available mod: (Version: 1.0.0.0) " + Name);
  const auto End = std::chrono::steady_clock::now() + std::chrono::seconds(Options->Seconds);
  bool Writable = true;
  for (size_t i = 0; Writable && !GStop && std::chrono::steady_clock::now() < End; ++i) {
    Writable = Log.Line(Steady[i % std::size(Steady)]);
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
  }
  if (Writable)
    Log.Line("Application exit");
  return 0;
}
