#include "common/IniFile.h"
