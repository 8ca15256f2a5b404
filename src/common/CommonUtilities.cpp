#include "common/CommonUtilities.h"
