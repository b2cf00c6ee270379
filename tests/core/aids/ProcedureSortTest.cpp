#include "aids/ProcedureSort.h"

#include <gtest/gtest.h>
