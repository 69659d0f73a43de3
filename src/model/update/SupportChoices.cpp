#include "update/SupportChoices.h"

SupportChoices g_supportChoices;
