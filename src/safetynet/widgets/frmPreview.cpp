#include "frmPreview.h"
