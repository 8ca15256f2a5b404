#pragma once

#include "platform/Platform.h"

namespace tilvane::platform::win {

// Opens the compose window of the user's mail program through Simple MAPI,
// filled with AMessage. False when no mail program took it.
bool SendMailThroughMapi(const MailMessage& AMessage);

} // namespace tilvane::platform::win
