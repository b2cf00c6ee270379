#include "aids/LineNumbers.h"

#include <gtest/gtest.h>
