#include "core/common/AppError.h"

#include <QStringDecoder>

namespace tilvane {

// The constructor's own frame is skipped: the stack starts in the function
// that raised the error.
EAppError::EAppError(const QString& AMessage)
    : std::runtime_error(AMessage.toStdString()), FMessage(AMessage),
      FStack(platform::CaptureStack(1)) {}

QString ExceptionText(const std::exception& AError) {
  if (const auto* Own = dynamic_cast<const EAppError*>(&AError))
    return Own->Message();
  const QByteArray Bytes(AError.what());
  QStringDecoder FromUtf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  QString Text = FromUtf8(Bytes);
  return FromUtf8.hasError() ? QString::fromLocal8Bit(Bytes) : Text;
}

QString ExceptionMessage(std::exception_ptr AError) {
  try {
    if (AError)
      std::rethrow_exception(AError);
  } catch (const std::exception& Error) {
    return ExceptionText(Error);
  } catch (...) {
  }
  return QStringLiteral("Unknown error");
}

} // namespace tilvane
