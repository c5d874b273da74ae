#include "frmHistory.h"
