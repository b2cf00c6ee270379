#include "aids/LineNumbers.h"
