#include "CopyPlan.h"
