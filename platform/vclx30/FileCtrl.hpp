#pragma once
// File-system controls: the drive box, the directory list and the file list.

#include "Classes.hpp"
