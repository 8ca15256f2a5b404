#include "app/MainDM.h"
