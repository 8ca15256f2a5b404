#include "LocalHttpServer.h"
#include "support/FailingPorts.h"

#include "core/common/AppError.h"
#include "core/http/HttpClient.h"
#include "core/http/HttpRoutines.h"
#include "support/TestEnvironment.h"

#include <QBuffer>
#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace tilvane;
using namespace tilvane::test;
using tilvane::kit::LocalHttpServer;
using namespace std::chrono_literals;

namespace {

class HttpClientTest : public ::testing::Test {
protected:
  void SetUp() override {
    auto& S = Http.Server();
    S.Get("/page", [](const httplib::Request&, httplib::Response& Res) {
      Res.set_content("<html>page</html>", "text/html");
    });
    S.Get("/port", [](const httplib::Request& Req, httplib::Response& Res) {
      Res.set_content(std::to_string(Req.remote_port), "text/plain");
    });
    S.Get("/error500", [](const httplib::Request&, httplib::Response& Res) {
      Res.status = 500;
      Res.set_content("<title>Farming Simulator Dedicated Server | Mods</title>", "text/html");
    });
    S.Get("/redirect",
          [](const httplib::Request&, httplib::Response& Res) { Res.set_redirect("/second"); });
    S.Get("/second",
          [](const httplib::Request&, httplib::Response& Res) { Res.set_redirect("/page", 301); });
    S.Get("/latin1", [](const httplib::Request&, httplib::Response& Res) {
      Res.set_content("Gr\xFC\xDF"
                      "e",
                      "text/html; charset=ISO-8859-1");
    });
    S.Get("/utf8-default", [](const httplib::Request&, httplib::Response& Res) {
      Res.set_content("Gr\xC3\xBC\xC3\x9F"
                      "e",
                      "text/html");
    });
    S.Get("/big", [](const httplib::Request&, httplib::Response& Res) {
      Res.set_content(std::string(BigSize, 'x'), "application/zip");
    });
    S.Get("/chunked", [](const httplib::Request&, httplib::Response& Res) {
      Res.set_chunked_content_provider("text/plain", [](size_t AOffset, httplib::DataSink& ASink) {
        if (AOffset < 3000) {
          const std::string Block(1000, 'c');
          ASink.write(Block.data(), Block.size());
        } else {
          ASink.done();
        }
        return true;
      });
    });
    S.Get("/stall", [this](const httplib::Request&, httplib::Response& Res) {
      Res.set_chunked_content_provider("text/plain",
                                       [this](size_t AOffset, httplib::DataSink& ASink) {
                                         if (AOffset == 0) {
                                           ASink.write("begin", 5);
                                           return true;
                                         }
                                         // Nothing more until the client gives up or the test ends.
                                         for (int I = 0; I < 500 && !Http.Stopping; ++I)
                                           std::this_thread::sleep_for(10ms);
                                         return false;
                                       });
    });
    // Reads the request and leaves it unanswered until the test ends.
    S.Get("/silent", [this](const httplib::Request&, httplib::Response& Res) {
      for (int I = 0; I < 500 && !Http.Stopping; ++I)
        std::this_thread::sleep_for(10ms);
      Res.set_content("late", "text/plain");
    });
    // A body that keeps coming, a little at a time, until the test ends.
    S.Get("/trickle", [this](const httplib::Request&, httplib::Response& Res) {
      Res.set_chunked_content_provider("text/plain",
                                       [this](size_t AOffset, httplib::DataSink& ASink) {
                                         if (AOffset >= 50000 || Http.Stopping) {
                                           ASink.done();
                                           return true;
                                         }
                                         ASink.write(std::string(100, 't').data(), 100);
                                         std::this_thread::sleep_for(10ms);
                                         return true;
                                       });
    });
    S.Get("/empty", [](const httplib::Request&, httplib::Response& Res) {
      Res.status = 404;
      Res.set_content("", "text/html");
    });
    Http.Start();
  }

  static constexpr size_t BigSize = 3 * 1024 * 1024;
  LocalHttpServer Http;
};

TEST_F(HttpClientTest, AnyStatusIsAResponseWithCodeAndReasonPhrase) {
  THttpClient Client;
  EXPECT_EQ(Client.GetText(Http.Url("/page")), QStringLiteral("<html>page</html>"));
  EXPECT_EQ(Client.StatusCode(), 200);
  EXPECT_EQ(Client.StatusText(), QStringLiteral("OK"));

  EXPECT_EQ(Client.GetText(Http.Url("/error500")),
            QStringLiteral("<title>Farming Simulator Dedicated Server | Mods</title>"));
  EXPECT_EQ(Client.StatusCode(), 500);
  EXPECT_EQ(Client.StatusText(), QStringLiteral("Internal Server Error"));

  EXPECT_TRUE(Client.GetBytes(Http.Url("/empty")).isEmpty());
  EXPECT_EQ(Client.StatusCode(), 404);
  EXPECT_EQ(Client.StatusText(), QStringLiteral("Not Found"));
}

TEST_F(HttpClientTest, OneClientReusesItsConnectionToAServer) {
  // An update fetches dozens of archives from one server; a new connection for
  // each costs the transfer its speed.
  THttpClient Client;
  const QString First = Client.GetText(Http.Url("/port"));
  Client.GetText(Http.Url("/page"));
  EXPECT_EQ(Client.GetText(Http.Url("/port")), First);
  THttpClient Other;
  EXPECT_NE(Other.GetText(Http.Url("/port")), First);
}

TEST_F(HttpClientTest, FollowsRedirectChainsAndReportsTheFinalResponse) {
  THttpClient Client;
  EXPECT_EQ(Client.GetText(Http.Url("/redirect")), QStringLiteral("<html>page</html>"));
  EXPECT_EQ(Client.StatusCode(), 200);
  EXPECT_EQ(Client.StatusText(), QStringLiteral("OK"));
}

TEST_F(HttpClientTest, DecodesTextByTheResponseCharsetAndUtf8WithoutOne) {
  THttpClient Client;
  EXPECT_EQ(Client.GetText(Http.Url("/latin1")), QStringLiteral("Gr\u00FC\u00DFe"));
  EXPECT_EQ(Client.GetText(Http.Url("/utf8-default")), QStringLiteral("Gr\u00FC\u00DFe"));
  // Quoted and oddly cased parameters are still understood.
  EXPECT_EQ(CharsetOfContentType(QStringLiteral("text/html; CharSet=\"iso-8859-1\"")),
            QStringLiteral("iso-8859-1"));
  EXPECT_EQ(DecodeHttpBody("\xC3\xA4", QStringLiteral("text/html; charset=no-such-set")),
            QStringLiteral("\u00E4"));
}

TEST_F(HttpClientTest, StreamIsWrittenFromItsCurrentPositionAndBytesAreRaw) {
  THttpClient Client;
  QByteArray Data("HEAD-OLD-TAIL");
  QBuffer Buffer(&Data);
  ASSERT_TRUE(Buffer.open(QIODevice::ReadWrite));
  Buffer.seek(5);
  Client.GetToStream(Http.Url("/latin1"), Buffer);
  EXPECT_EQ(Data, QByteArray("HEAD-Gr\xFC\xDF"
                             "eAIL"));
  EXPECT_EQ(Client.GetBytes(Http.Url("/big")).size(), qsizetype(BigSize));
}

TEST_F(HttpClientTest, ReceiveEventStartsAtZeroAndCountsUpToTheAnnouncedLength) {
  struct Call {
    qint64 Length, Count;
  };
  for (const char* Path : {"/big", "/chunked"}) {
    SCOPED_TRACE(Path);
    std::vector<Call> Calls;
    THttpClient Client;
    Client.SetOnReceiveData([&](qint64 ALength, qint64 ACount, bool&) {
      Calls.push_back({ALength, ACount});
    });
    const QByteArray Body = Client.GetBytes(Http.Url(Path));
    ASSERT_GE(Calls.size(), 2u);
    EXPECT_EQ(Calls.front().Count, 0);
    const qint64 Expected = std::string_view(Path) == "/big" ? qint64(BigSize) : -1;
    for (const Call& C : Calls)
      EXPECT_EQ(C.Length, Expected);
    for (size_t I = 1; I < Calls.size(); ++I)
      EXPECT_GT(Calls[I].Count, Calls[I - 1].Count);
    EXPECT_EQ(Calls.back().Count, Body.size());
  }
  // An empty body still announces its start once.
  int Starts = 0;
  THttpClient Client;
  Client.SetOnReceiveData([&](qint64, qint64 ACount, bool&) { Starts += ACount == 0; });
  Client.GetBytes(Http.Url("/empty"));
  EXPECT_EQ(Starts, 1);
}

TEST_F(HttpClientTest, AbortFlagStopsReceivingAndReturnsWhatArrived) {
  THttpClient Client;
  qint64 CountAtAbort = -1;
  Client.SetOnReceiveData([&](qint64, qint64 ACount, bool& AAbort) {
    if (ACount > 0 && CountAtAbort < 0) {
      CountAtAbort = ACount;
      AAbort = true;
    }
  });
  QByteArray Body;
  ASSERT_NO_THROW(Body = Client.GetBytes(Http.Url("/big")));
  EXPECT_EQ(Body.size(), CountAtAbort);
  EXPECT_LT(Body.size(), qsizetype(BigSize));
  EXPECT_EQ(Client.StatusCode(), 200);

  // Aborting at the start gives an empty body, again without an error.
  Client.SetOnReceiveData([](qint64, qint64, bool& AAbort) { AAbort = true; });
  EXPECT_TRUE(Client.GetBytes(Http.Url("/big")).isEmpty());
}

TEST_F(HttpClientTest, StalledResponseFailsAfterTheResponseTimeout) {
  // Stalled in the middle of the body, and before the first byte of the answer.
  for (const char* Path : {"/stall", "/silent"}) {
    SCOPED_TRACE(Path);
    THttpClient Client;
    Client.SetResponseTimeout(1000);
    try {
      Client.GetBytes(Http.Url(Path));
      FAIL() << "no error";
    } catch (const EAppError& Error) {
      EXPECT_TRUE(Error.Message().contains(QStringLiteral("too slow"), Qt::CaseInsensitive) ||
                  Error.Message().contains(QStringLiteral("timed out"), Qt::CaseInsensitive))
          << Error.Message().toStdString();
    }
  }
}

TEST_F(HttpClientTest, ExceptionFromTheReceiveEventComesOutOfTheGetAndTheClientGoesOn) {
  struct ReceiverFailure : std::runtime_error {
    using std::runtime_error::runtime_error;
  };
  // Thrown when the body begins, and on its second block.
  for (const int ThrowOnCall : {1, 3}) {
    SCOPED_TRACE(ThrowOnCall);
    THttpClient Client;
    int Calls = 0;
    Client.SetOnReceiveData([&](qint64, qint64, bool&) {
      if (++Calls == ThrowOnCall)
        throw ReceiverFailure("the window is gone");
    });
    try {
      Client.GetBytes(Http.Url("/big"));
      FAIL() << "no exception";
    } catch (const ReceiverFailure& Error) {
      EXPECT_STREQ(Error.what(), "the window is gone");
    }
    // The transfer stopped at the exception.
    EXPECT_EQ(Calls, ThrowOnCall);

    Client.SetOnReceiveData({});
    EXPECT_EQ(Client.GetText(Http.Url("/page")), QStringLiteral("<html>page</html>"));
    EXPECT_EQ(Client.StatusCode(), 200);
  }
}

TEST_F(HttpClientTest, AbortCheckEndsTheRequestAtOnceInEveryPhaseWithoutAnError) {
  // The update task's time-outs are minutes long; a cancel must not wait for them.
  FullBacklogPort Backlog;
  struct Case {
    const char* Phase;
    QString Url;
    int Status;
    bool SomeBody;
  };
  const Case Cases[] = {
      {"connecting", Backlog.Url(), 0, false},
      {"waiting for the answer", Http.Url("/silent"), 0, false},
      {"receiving", Http.Url("/trickle"), 200, true},
  };
  THttpClient Client;
  Client.SetConnectionTimeout(300000);
  Client.SetResponseTimeout(300000);
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Phase);
    const auto Start = std::chrono::steady_clock::now();
    Client.SetAbortCheck([&] { return std::chrono::steady_clock::now() - Start > 100ms; });
    QByteArray Body;
    ASSERT_NO_THROW(Body = Client.GetBytes(C.Url));
    EXPECT_LT(std::chrono::steady_clock::now() - Start, 1000ms);
    EXPECT_EQ(Client.StatusCode(), C.Status);
    EXPECT_EQ(Body.isEmpty(), !C.SomeBody);
    EXPECT_EQ(Body, QByteArray(Body.size(), 't'));
  }
  // A stopped request leaves the client ready for the next one.
  Client.SetAbortCheck({});
  EXPECT_EQ(Client.GetText(Http.Url("/page")), QStringLiteral("<html>page</html>"));
}

// Two servers on this machine: the one asked, and one elsewhere that counts
// what reaches it. "localhost" is another host name than "127.0.0.1", and
// another port is another server, whatever address it has.
class HttpRedirectTest : public ::testing::Test {
protected:
  void SetUp() override {
    Elsewhere.Server().Get("/landing", [this](const httplib::Request&, httplib::Response& Res) {
      ++ElsewhereRequests;
      Res.set_content("elsewhere", "text/plain");
    });
    Elsewhere.Start();
    auto& S = Asked.Server();
    S.Get("/landing", [this](const httplib::Request& Req, httplib::Response& Res) {
      if (Req.get_header_value("Host").rfind("localhost", 0) == 0)
        ++LocalhostRequests;
      Res.set_content("landed", "text/plain");
    });
    S.Get("/relative", [](const httplib::Request&, httplib::Response& Res) {
      Res.set_redirect("landing?login=true&password=w3b");
    });
    S.Get("/to-other-port", [this](const httplib::Request&, httplib::Response& Res) {
      Res.set_redirect(Elsewhere.Url("/landing?login=true&password=w3b").toStdString(), 307);
    });
    S.Get("/to-localhost", [this](const httplib::Request&, httplib::Response& Res) {
      Res.set_redirect("http://localhost:" + std::to_string(Asked.Port()) + "/landing?password=w3b",
                       301);
    });
    Asked.Start();
  }

  LocalHttpServer Asked;
  LocalHttpServer Elsewhere;
  std::atomic<int> ElsewhereRequests{0};
  std::atomic<int> LocalhostRequests{0};
};

TEST_F(HttpRedirectTest, ALoginFollowsRedirectsOnlyToWhereItCameFrom) {
  THttpClient Client;
  Client.SetRedirects(THttpRedirects::SameOrigin);
  EXPECT_EQ(Client.GetText(Asked.Url("/relative?password=w3b")), QStringLiteral("landed"));
  EXPECT_EQ(Client.StatusCode(), 200);
  EXPECT_TRUE(Client.RefusedRedirect().isEmpty());

  struct RefusedCase {
    const char* Path;
    QString Target;
  };
  const RefusedCase Cases[] = {
      {"/to-other-port", QStringLiteral("http://127.0.0.1:%1").arg(Elsewhere.Port())},
      {"/to-localhost", QStringLiteral("http://localhost:%1").arg(Asked.Port())},
  };
  for (const RefusedCase& Case : Cases) {
    SCOPED_TRACE(Case.Path);
    try {
      Client.GetText(Asked.Url(Case.Path) + QStringLiteral("?login=true&password=w3b"));
      FAIL() << "followed";
    } catch (const EAppError& Error) {
      EXPECT_EQ(Error.Message(), QStringLiteral("The server sent Tilvane elsewhere (") +
                                     Case.Target + QStringLiteral("); nothing was sent there."));
    }
    EXPECT_EQ(Client.RefusedRedirect(), Case.Target);
  }
  EXPECT_EQ(ElsewhereRequests, 0);
  EXPECT_EQ(LocalhostRequests, 0);

  // The refusal leaves the client ready for the next request.
  EXPECT_EQ(Client.GetText(Asked.Url("/landing")), QStringLiteral("landed"));
  EXPECT_TRUE(Client.RefusedRedirect().isEmpty());

  // A request without a secret goes wherever it is sent.
  THttpClient Plain;
  EXPECT_EQ(Plain.GetText(Asked.Url("/to-other-port")), QStringLiteral("elsewhere"));
  EXPECT_EQ(Plain.GetText(Asked.Url("/to-localhost")), QStringLiteral("landed"));
  EXPECT_EQ(ElsewhereRequests, 1);
  EXPECT_EQ(LocalhostRequests, 1);
}

TEST_F(HttpRedirectTest, HttpGetForALoginRefusesAnotherHost) {
  try {
    HttpGet(Asked.Url("/to-localhost"), THttpRedirects::SameOrigin);
    FAIL() << "followed";
  } catch (const EAppError& Error) {
    EXPECT_EQ(Error.Message(),
              QStringLiteral("The server sent Tilvane elsewhere (http://localhost:%1); nothing "
                             "was sent there.")
                  .arg(Asked.Port()));
  }
  EXPECT_EQ(LocalhostRequests, 0);
}

TEST(HttpTransportTest, RefusedConnectionRaisesWithTheReason) {
  ClosedPort Port;
  THttpClient Client;
  try {
    Client.GetText(Port.Url());
    FAIL() << "no error";
  } catch (const EAppError& Error) {
    EXPECT_TRUE(Error.Message().contains(QStringLiteral("Failed to connect")))
        << Error.Message().toStdString();
  }
  EXPECT_EQ(Client.StatusCode(), 0);
}

TEST(HttpTransportTest, ConnectionTimeoutEndsAConnectThatHangs) {
  FullBacklogPort Port;
  THttpClient Client;
  Client.SetConnectionTimeout(300);
  const auto Start = std::chrono::steady_clock::now();
  try {
    Client.GetText(Port.Url());
    FAIL() << "no error";
  } catch (const EAppError& Error) {
    // "Failed to connect to 127.0.0.1 port 34937 after 300 ms: Timeout was reached"
    EXPECT_TRUE(Error.Message().contains(QStringLiteral("Timeout"), Qt::CaseInsensitive) ||
                Error.Message().contains(QStringLiteral("timed out"), Qt::CaseInsensitive))
        << Error.Message().toStdString();
  }
  EXPECT_LT(std::chrono::steady_clock::now() - Start, 1000ms);
  EXPECT_EQ(Client.StatusCode(), 0);
}

TEST(HttpRoutinesTest, HttpGetTriesThreeTimes250MsApartThenRaises) {
  DroppingServer Server;
  EXPECT_THROW(HttpGet(Server.Url()), EAppError);
  const auto Accepted = Server.Accepted();
  ASSERT_EQ(Accepted.size(), 3u);
  for (size_t I = 1; I < Accepted.size(); ++I)
    EXPECT_GE(Accepted[I] - Accepted[I - 1], 240ms);
}

TEST(HttpRoutinesTest, HttpGetFileReplacesTheFileOnlyWithAWholeAnswer) {
  TestEnvironment Env;
  LocalHttpServer Http;
  Http.Server().Get("/setup.exe", [](const httplib::Request&, httplib::Response& Res) {
    Res.set_content("new installer", "application/octet-stream");
  });
  Http.Server().Get("/missing.exe", [](const httplib::Request&, httplib::Response& Res) {
    Res.status = 404;
    Res.set_content("<html>not here</html>", "text/html");
  });
  Http.Start();
  const QString Target = Env.PathOf(QStringLiteral("Temp/TilvaneSetup.exe"));
  WriteFile(Target, "old installer");

  // An error page is no installer: the old file stays, and the user hears why.
  EXPECT_FALSE(HttpGetFile(Http.Url("/missing.exe"), Target, Env.Prompts()));
  EXPECT_EQ(ReadFile(Target), QByteArray("old installer"));
  EXPECT_EQ(
      Env.Prompts().Messages(),
      QStringList(QStringLiteral("Unable to download: ") + Http.Url("/missing.exe") +
                  QStringLiteral("\r\nError: The server answered with status 404 Not Found")));
  EXPECT_EQ(Env.Prompts().History().front().Kind, TMessageKind::Error);
  Env.Prompts().Clear();

  EXPECT_TRUE(HttpGetFile(Http.Url("/setup.exe"), Target, Env.Prompts()));
  EXPECT_EQ(ReadFile(Target), QByteArray("new installer"));
  EXPECT_TRUE(Env.Prompts().History().empty());
  EXPECT_EQ(QDir(Env.PathOf(QStringLiteral("Temp"))).entryList(QDir::Files | QDir::Hidden),
            QStringList(QStringLiteral("TilvaneSetup.exe")));

  // A transport failure is tried three times and leaves no file behind.
  DroppingServer Dropping;
  const QString Failed = Env.PathOf(QStringLiteral("failed.zip"));
  EXPECT_FALSE(HttpGetFile(Dropping.Url(), Failed, Env.Prompts()));
  EXPECT_EQ(Dropping.Accepted().size(), 3u);
  EXPECT_FALSE(QFile::exists(Failed));
  ASSERT_EQ(Env.Prompts().History().size(), 1u);
  const auto& Shown = Env.Prompts().History().front();
  EXPECT_EQ(Shown.Kind, TMessageKind::Error);
  EXPECT_TRUE(Shown.Text.startsWith(QStringLiteral("Unable to download: ") + Dropping.Url() +
                                    QStringLiteral("\r\nError: ")));
  EXPECT_GT(Shown.Text.size(), (QStringLiteral("Unable to download: ") + Dropping.Url() +
                                QStringLiteral("\r\nError: "))
                                   .size());
}

} // namespace

namespace {

using Kind = MisbehavingServer::Kind;

// The message an EAppError of ACall carries; a failure text without one.
template <class TCall> QString ErrorOf(TCall ACall) {
  try {
    ACall();
  } catch (const EAppError& Error) {
    return Error.Message();
  }
  return QStringLiteral("(no error)");
}

TEST(HttpLimitsTest, TheTotalTimeoutEndsAnAnswerThatTricklesPastTheStallLimit) {
  // A byte every 50 ms: the stall limit of a minute never trips.
  MisbehavingServer Trickling(Kind::Trickling, 50ms);
  THttpClient Client;
  Client.SetTotalTimeout(500);
  const auto Start = std::chrono::steady_clock::now();
  EXPECT_EQ(ErrorOf([&] { Client.GetBytes(Trickling.Url()); }),
            QStringLiteral("The server did not finish its answer within 0.5 seconds."));
  const auto Took = std::chrono::steady_clock::now() - Start;
  EXPECT_GE(Took, 500ms);
  EXPECT_LT(Took, 1000ms);
  EXPECT_TRUE(Client.LimitReached());
  EXPECT_GT(Trickling.BodyBytesSent(), 2);

  // Without a limit the answer went on.
  Client.SetTotalTimeout(0);
  const auto Begun = std::chrono::steady_clock::now();
  Client.SetAbortCheck([&] { return std::chrono::steady_clock::now() - Begun > 700ms; });
  EXPECT_NO_THROW(Client.GetBytes(Trickling.Url()));
  EXPECT_FALSE(Client.LimitReached());
}

TEST(HttpLimitsTest, TheSizeCapEndsABodyWithoutEndBeforeItFillsTheMemory) {
  MisbehavingServer Endless(Kind::Endless);
  THttpClient Client;
  Client.SetMaxBodySize(1024 * 1024);
  QByteArray Body;
  QBuffer Buffer(&Body);
  Buffer.open(QIODevice::WriteOnly);
  EXPECT_EQ(ErrorOf([&] { Client.GetToStream(Endless.Url(), Buffer); }),
            QStringLiteral("The server's answer is larger than 1 MB."));
  EXPECT_LE(Body.size(), 1024 * 1024);
  EXPECT_TRUE(Client.LimitReached());
  EXPECT_EQ(BodyTooLargeMessage(2048), QStringLiteral("The server's answer is larger than 2 KB."));
  EXPECT_EQ(BodyTooLargeMessage(1536),
            QStringLiteral("The server's answer is larger than 1536 bytes."));
}

// The page fetch of the server check stops at 64 MB and at its time limit,
// each at the first attempt: another would only reach the limit again.
TEST(HttpLimitsTest, HttpGetStopsAtItsLimitsWithoutAnotherAttempt) {
  {
    MisbehavingServer Endless(Kind::Endless);
    EXPECT_EQ(ErrorOf([&] { HttpGet(Endless.Url()); }),
              QStringLiteral("The server's answer is larger than 64 MB."));
    EXPECT_EQ(Endless.Accepted(), 1);
  }
  MisbehavingServer Trickling(Kind::Trickling, 20ms);
  THttpGetLimits Short;
  Short.TotalTimeout = 300;
  EXPECT_EQ(ErrorOf([&] { HttpGet(Trickling.Url(), THttpRedirects::Any, Short); }),
            QStringLiteral("The server did not finish its answer within 0.3 seconds."));
  EXPECT_EQ(Trickling.Accepted(), 1);
  EXPECT_EQ(THttpGetLimits{}.TotalTimeout, 30000);
}

// A cancel ends the request and the attempts that would follow at once,
// whether it comes while the server keeps silent or in the pause between two
// attempts.
TEST(HttpLimitsTest, ACancelEndsHttpGetAtOnceWithAnEmptyPage) {
  MisbehavingServer Silent(Kind::Silent);
  DroppingServer Dropping;
  const struct {
    const char* Name;
    QString Url;
  } Cases[] = {{"silent server", Silent.Url()}, {"between attempts", Dropping.Url()}};
  for (const auto& Case : Cases) {
    SCOPED_TRACE(Case.Name);
    std::atomic_bool Cancelled{false};
    std::thread Canceller([&] {
      std::this_thread::sleep_for(100ms);
      Cancelled = true;
    });
    const auto Start = std::chrono::steady_clock::now();
    QString Page = QStringLiteral("unset");
    EXPECT_NO_THROW(Page = HttpGet(Case.Url, THttpRedirects::Any, {}, &Cancelled));
    const auto Took = std::chrono::steady_clock::now() - Start;
    Canceller.join();
    EXPECT_TRUE(Page.isEmpty());
    EXPECT_LT(Took, 350ms);
  }
  EXPECT_EQ(Silent.Accepted(), 1);
  EXPECT_EQ(Dropping.Accepted().size(), 1u);
}

TEST(HttpLimitsTest, ACancelledDownloadLeavesTheFileAsItWas) {
  TestEnvironment Env;
  const QString Target = Env.PathOf(QStringLiteral("Temp/TilvaneSetup.exe"));
  WriteFile(Target, "old installer");
  MisbehavingServer Trickling(Kind::Trickling, 10ms);
  std::atomic_bool Cancelled{false};
  std::thread Canceller([&] {
    std::this_thread::sleep_for(200ms);
    Cancelled = true;
  });
  const auto Start = std::chrono::steady_clock::now();
  EXPECT_FALSE(DownloadHttpFile(Trickling.Url(), Target, &Cancelled));
  EXPECT_LT(std::chrono::steady_clock::now() - Start, 450ms);
  Canceller.join();
  EXPECT_GT(Trickling.BodyBytesSent(), 0) << "part of a body had come";
  EXPECT_EQ(ReadFile(Target), QByteArray("old installer"));
  EXPECT_EQ(QDir(Env.PathOf(QStringLiteral("Temp"))).entryList(QDir::Files | QDir::Hidden),
            QStringList(QStringLiteral("TilvaneSetup.exe")));
}

} // namespace
