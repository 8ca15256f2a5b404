#include "core/crash/ExceptionReport.h"

#include "core/common/AppError.h"
#include "platform/SystemInfo.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <chrono>

namespace tilvane {

namespace {

const QString CrLf = QStringLiteral("\r\n");
constexpr int ReportMaxColumns = 78;
// Below a module's "[address] " (16 hex digits on a 64-bit system), so that
// the version line starts under the module's path.
constexpr int ModuleIndent = 19;

void AddLine(QString& AOut, const QString& ALine) {
  AOut += ALine + CrLf;
}

QString Hex(quintptr AValue) {
  return QStringLiteral("%1").arg(AValue, 16, 16, QLatin1Char('0'));
}

QString FromStd(const std::string& AText) {
  return QString::fromStdString(AText);
}

QString StackTime(std::chrono::system_clock::time_point ATime) {
  const auto Ms =
      std::chrono::duration_cast<std::chrono::milliseconds>(ATime.time_since_epoch()).count();
  return QDateTime::fromMSecsSinceEpoch(Ms).toString(QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz"));
}

// Runs one section's builder on a text of its own: a section that fails
// (memory, a system call refused in an unexpected way) is left out and the
// report goes on with the next.
template <typename TBuilder> void AddSection(QString& AOut, TBuilder ABuild) {
  try {
    QString Section;
    ABuild(Section);
    AOut += Section;
  } catch (...) {
  }
}

void AddStack(QString& AOut, const QString& ATitle, const platform::TRawStack& AStack) {
  AddLine(AOut, ATitle);
  AddLine(AOut, QStringLiteral("Stack list, generated %1").arg(StackTime(AStack.Time)));
  for (const platform::TStackFrame& Frame : platform::SymbolizeStack(AStack))
    AddLine(AOut, FromStd(platform::FormatStackFrame(Frame)));
  AOut += TExceptionReport::Separator();
}

// Linux offers no safe way to walk another running thread's stack from
// inside the process (it would have to be stopped with a signal in the middle
// of whatever it holds), so the other threads are listed by ID and name only.
void AddThreads(QString& AOut) {
  const std::vector<platform::TThreadInfo> Threads = platform::ListThreads();
  if (Threads.empty())
    return;
  AddLine(AOut, QStringLiteral("List of threads:"));
  for (const platform::TThreadInfo& Thread : Threads)
    AddLine(
        AOut,
        QStringLiteral("Thread %1 \"%2\"").arg(QString::number(Thread.Id), FromStd(Thread.Name)));
  AOut += TExceptionReport::Separator();
}

QString ProcessorFeatures(const platform::TProcessorFeatures& AFeatures) {
  const struct {
    bool Present;
    const char* Text;
  } Names[] = {
      {AFeatures.FdivBug, " [FDIV Bug]"},
      {AFeatures.MMXExt, " MMXex"},
      {AFeatures.MMX, " MMX"},
      {AFeatures.SSE, " SSE"},
      {AFeatures.SSE2, " SSE2"},
      {AFeatures.SSE3, " SSE3"},
      {AFeatures.SSSE3, " SSSE3"},
      {AFeatures.SSE41, " SSE41"},
      {AFeatures.SSE42, " SSE42"},
      {AFeatures.SSE4A, " SSE4A"},
      {AFeatures.SSE5, " SSE5"},
      {AFeatures.ThreeDNowExt, " 3DNow!ex"},
      {AFeatures.ThreeDNow, " 3DNow!"},
      {AFeatures.Bits64, " 64 bits"},
      {AFeatures.DEP, " DEP"},
  };
  QString Text;
  for (const auto& Name : Names)
    if (Name.Present)
      Text += QLatin1String(Name.Text);
  return Text;
}

// The system, processor, memory and display lines: one block.
void AddMachine(QString& AOut) {
  if (const auto System = platform::GetSystemInfo())
    AddLine(AOut,
            QStringLiteral("System   : %1 %2, Version: %3.%4, Build: %5, \"%6\"")
                .arg(FromStd(System->Name), FromStd(System->ProductType),
                     QString::number(System->MajorVersion), QString::number(System->MinorVersion),
                     QString::number(System->Build, 16), FromStd(System->Details)));
  if (const auto Processor = platform::GetProcessorInfo())
    AddLine(AOut, QStringLiteral("Processor: %1, %2, %3 MHz")
                          .arg(FromStd(Processor->Vendor), FromStd(Processor->Name),
                               QString::number(Processor->MHz)) +
                      ProcessorFeatures(Processor->Features));
  if (const auto Memory = platform::GetMemoryInfo())
    AddLine(AOut, QStringLiteral("Memory: %1; free %2")
                      .arg(Memory->TotalBytes / 1024 / 1024)
                      .arg(Memory->FreeBytes / 1024 / 1024));
  if (const QScreen* Screen = QGuiApplication::primaryScreen()) {
    // Device pixels: what the monitor has, whatever scaling the desktop uses.
    const QSize Size = Screen->geometry().size() * Screen->devicePixelRatio();
    AddLine(AOut, QStringLiteral("Display  : %1x%2 pixels, %3 bpp")
                      .arg(Size.width())
                      .arg(Size.height())
                      .arg(Screen->depth()));
  }
  if (!AOut.isEmpty())
    AOut += TExceptionReport::Separator();
}

// Shared objects carry no version resource; their version, where they have
// one, is in the file name the list shows.
void AddModules(QString& AOut) {
  std::vector<platform::TModuleInfo> Modules = platform::ListModules();
  if (Modules.empty())
    return;
  std::sort(Modules.begin(), Modules.end(),
            [](const platform::TModuleInfo& A_, const platform::TModuleInfo& AB) {
              return A_.BaseAddress < AB.BaseAddress;
            });
  AddLine(AOut, QStringLiteral("List of loaded modules:"));
  const QString Indent(ModuleIndent, QLatin1Char(' '));
  for (const platform::TModuleInfo& Module : Modules) {
    AddLine(AOut, QStringLiteral("[%1] %2").arg(Hex(Module.BaseAddress), FromStd(Module.Path)));
    AddLine(AOut, Indent + QStringLiteral("(no module version info)"));
  }
  AOut += TExceptionReport::Separator();
}

void AddActiveControls(QString& AOut, const QStringList& AActiveControls) {
  if (AActiveControls.isEmpty())
    return;
  AddLine(AOut, QStringLiteral("Active Controls hierarchy:"));
  for (const QString& Control : AActiveControls)
    AddLine(AOut, Control);
  AOut += TExceptionReport::Separator();
}

} // namespace

TExceptionReport::TExceptionReport(std::exception_ptr AError)
    : FThreadId(platform::MainThreadId()) {
  try {
    if (AError)
      std::rethrow_exception(AError);
  } catch (const EAppError& Error) {
    FMessage = Error.Message();
    FIsError = true;
    if (Error.RaisedStack().Count > 0) {
      FStack = Error.RaisedStack();
      FThreadId = FStack->ThreadId;
    }
  } catch (const std::exception& Error) {
    FMessage = ExceptionText(Error);
    FIsError = true;
  } catch (...) {
  }
  // Asked inside a catch block: the type of what was thrown, also for objects
  // that are no std::exception.
  try {
    if (AError)
      std::rethrow_exception(AError);
  } catch (...) {
    FClassName = FromStd(platform::CurrentExceptionTypeName());
  }
  if (!FIsError)
    FMessage = FClassName;
  FMessage = WithCrLf(EnsureFullStop(FMessage));
}

QString TExceptionReport::ShortText() const {
  return QStringLiteral("There was an error during the execution of this program.\r\n"
                        "The application might become unstable and even useless.\r\n"
                        "It's recommended that you save your work and close this application.\r\n"
                        "\r\n") +
         FMessage;
}

QString TExceptionReport::Header(const QDateTime& ANow) const {
  QString Out = Separator();
  AddLine(Out, QStringLiteral("Exception log with detailed tech info. Generated on %1.")
                   .arg(ANow.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"))));
  AddLine(Out, QStringLiteral("You may send it to the application vendor, helping him to "
                              "understand what had happened."));
  AddLine(Out,
          QStringLiteral(" Application title: %1").arg(QGuiApplication::applicationDisplayName()));
  AddLine(Out,
          QStringLiteral(" Application file: %1").arg(QCoreApplication::applicationFilePath()));
  Out += Separator();
  AddLine(Out, QStringLiteral("Exception class: %1").arg(FClassName));
  if (FIsError)
    AddLine(Out, QStringLiteral("Exception message: %1").arg(FMessage));
  // An error of the update task is raised on its worker and reported on the
  // user-interface thread: name the worker too.
  if (FThreadId != platform::MainThreadId())
    AddLine(Out, QStringLiteral("Thread: %1").arg(FThreadId));
  if (FStack && FStack->Count > 0)
    AddLine(Out, QStringLiteral("Exception address: %1")
                     .arg(Hex(reinterpret_cast<quintptr>(FStack->Frames[0]))));
  Out += Separator();
  return Out;
}

QString TExceptionReport::TechnicalReport(const QStringList& AActiveControls) const {
  QString Out;
  AddLine(Out, QStringLiteral("Main thread ID = %1").arg(platform::MainThreadId()));
  AddLine(Out, QStringLiteral("Exception thread ID = %1").arg(FThreadId));
  Out += Separator();
  if (FStack)
    AddSection(Out,
               [this](QString& AS) { AddStack(AS, QStringLiteral("Exception stack"), *FStack); });
  // The report is built on the user-interface thread: its stack now is the
  // main thread's.
  if (platform::CurrentThreadId() == platform::MainThreadId())
    AddSection(Out, [](QString& AS) {
      AddStack(AS, QStringLiteral("Call stack for main thread"), platform::CaptureStack());
    });
  AddSection(Out, AddThreads);
  AddSection(Out, AddMachine);
  AddSection(Out, AddModules);
  AddSection(Out, [&AActiveControls](QString& AS) { AddActiveControls(AS, AActiveControls); });
  return Out;
}

QString TExceptionReport::EnsureFullStop(const QString& AText) {
  return AText.endsWith(QLatin1Char('.')) ? AText : AText + QLatin1Char('.');
}

QString TExceptionReport::WithCrLf(const QString& AText) {
  QString Text = AText;
  Text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  Text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  Text.replace(QLatin1Char('\n'), CrLf);
  return Text;
}

QString TExceptionReport::Separator() {
  return QString(ReportMaxColumns, QLatin1Char('-')) + CrLf;
}

QString TExceptionReport::ClipboardText(const QString& AShortText, const QString& ADetails) {
  QString Text = AShortText;
  if (!Text.endsWith(CrLf))
    Text += CrLf;
  return Text + CrLf + ADetails;
}

QString ExceptionReportText(std::exception_ptr AError, const QStringList& AActiveControls) {
  const TExceptionReport Report(AError);
  return TExceptionReport::ClipboardText(Report.ShortText(),
                                         Report.Header(QDateTime::currentDateTime()) +
                                             Report.TechnicalReport(AActiveControls));
}

} // namespace tilvane
