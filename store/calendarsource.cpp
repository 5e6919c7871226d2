#include "calendarsource.h"
