#include "config/OptionsValidation.h"
