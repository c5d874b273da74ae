#include "TrunkSnapshot.h"
