#include "aids/ProcedureSort.h"
