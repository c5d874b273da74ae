#include "PreviewModel.h"
