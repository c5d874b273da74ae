#include "CopyJournal.h"
