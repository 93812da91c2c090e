#include "FileCtrl.hpp"
