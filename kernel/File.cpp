#include "host/File.h"

File::~File() = default;
