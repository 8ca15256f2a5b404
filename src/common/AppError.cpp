#include "common/AppError.h"

namespace tilvane {

EAppError::EAppError(const QString& message)
    : std::runtime_error(message.toStdString()), FMessage(message) {}

} // namespace tilvane
