#include "platform/Platform.h"

namespace tilvane::platform {

const char kPathDelimiter = '/';

} // namespace tilvane::platform
