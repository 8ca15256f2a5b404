#include "core/update/ArchiveHash.h"

#include "core/common/AppError.h"

#include <QFile>
#include <QFileInfo>

#include <openssl/err.h>
#include <openssl/evp.h>

#ifdef Q_OS_LINUX
#include <fcntl.h>
#endif

namespace tilvane {

namespace {

// Large enough that the system calls cost nothing beside the hashing, small
// enough to stay in the processor's cache on its way from read() to MD5.
constexpr qint64 BlockSize = 1024 * 1024;

const QLatin1String ZipSuffix(".zip");

struct TDigestContextFree {
  void operator()(EVP_MD_CTX* AContext) const { EVP_MD_CTX_free(AContext); }
};

QString OpenSslReason() {
  char Text[256] = {};
  ERR_error_string_n(ERR_get_error(), Text, sizeof Text);
  ERR_clear_error();
  return QString::fromLatin1(Text);
}

} // namespace

QString ModNameOfArchive(const QString& AFileName) {
  if (AFileName.endsWith(ZipSuffix, Qt::CaseInsensitive))
    return AFileName.left(AFileName.size() - ZipSuffix.size());
  return AFileName;
}

// OpenSSL's MD5 rather than Qt's: it has the hand-written assembler core and
// keeps the hash of a cold archive as fast as the disk (QCryptographicHash is
// the portable C one).
class TModArchiveHasher::TImpl {
public:
  TImpl() : FContext(EVP_MD_CTX_new()) {
    if (!FContext)
      throw EAppError(QStringLiteral("Unable to start an MD5 hash\r\nError: ") + OpenSslReason());
    Reset();
  }

  void Reset() {
    if (EVP_DigestInit_ex(FContext.get(), EVP_md5(), nullptr) != 1)
      throw EAppError(QStringLiteral("Unable to start an MD5 hash\r\nError: ") + OpenSslReason());
  }

  void Add(const void* AData, size_t ASize) {
    if (ASize != 0 && EVP_DigestUpdate(FContext.get(), AData, ASize) != 1)
      throw EAppError(QStringLiteral("Unable to compute an MD5 hash\r\nError: ") + OpenSslReason());
  }

  QByteArray Finish() {
    unsigned char Digest[EVP_MAX_MD_SIZE];
    unsigned int Length = 0;
    if (EVP_DigestFinal_ex(FContext.get(), Digest, &Length) != 1)
      throw EAppError(QStringLiteral("Unable to compute an MD5 hash\r\nError: ") + OpenSslReason());
    return QByteArray(reinterpret_cast<const char*>(Digest), static_cast<qsizetype>(Length));
  }

private:
  std::unique_ptr<EVP_MD_CTX, TDigestContextFree> FContext;
};

TModArchiveHasher::TModArchiveHasher() : FImpl(std::make_unique<TImpl>()) {}

TModArchiveHasher::~TModArchiveHasher() = default;

void TModArchiveHasher::AddData(QByteArrayView AData) {
  FImpl->Add(AData.data(), static_cast<size_t>(AData.size()));
}

void TModArchiveHasher::Reset() {
  FImpl->Reset();
}

QString TModArchiveHasher::Result(const QString& AModName) {
  // The game appends the name as its scripts hold it: UTF-8, which is ASCII
  // for every name the game accepts.
  const QByteArray Name = AModName.toUtf8();
  FImpl->Add(Name.constData(), static_cast<size_t>(Name.size()));
  const QByteArray Digest = FImpl->Finish();
  FImpl->Reset();
  return QString::fromLatin1(Digest.toHex());
}

QString ModArchiveHash(const QString& APath) {
  QFile File(APath);
  // Unbuffered: each read() goes straight to the system into our block, with
  // no copy through QFile's own buffer.
  if (!File.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
    throw EAppError(QStringLiteral("Unable to read ") + APath + QStringLiteral("\r\nError: ") +
                    File.errorString());
#ifdef Q_OS_LINUX
  // A larger read-ahead window: the disk keeps streaming while a block is
  // hashed. Only advice; its failure changes nothing.
  (void)posix_fadvise(File.handle(), 0, 0, POSIX_FADV_SEQUENTIAL);
#endif
  const auto Block = std::make_unique_for_overwrite<char[]>(BlockSize);
  TModArchiveHasher Hasher;
  for (;;) {
    const qint64 Got = File.read(Block.get(), BlockSize);
    if (Got < 0)
      throw EAppError(QStringLiteral("Unable to read ") + APath + QStringLiteral("\r\nError: ") +
                      File.errorString());
    if (Got == 0)
      break;
    Hasher.AddData(QByteArrayView(Block.get(), Got));
  }
  return Hasher.Result(ModNameOfArchive(QFileInfo(APath).fileName()));
}

} // namespace tilvane
