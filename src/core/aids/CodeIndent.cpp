#include "aids/CodeIndent.h"
