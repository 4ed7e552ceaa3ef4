// The keywords of material description files: texture arguments and
// operations, blend factors, compare functions, addressing modes and the
// on/off switches, each turned into the engine's own value and back.
// Parsers compare the whole keyword ignoring case and give -1 for a keyword
// they do not know; namers give the fallback keyword of their table for a
// value outside it, which reads back as a value the device treats alike.
#pragma once

#include "host/String.h"

int ParseTextureArg(String keyword);
String TextureArgName(int argument);
int ParseTextureOp(String keyword);
String TextureOpName(int operation);
int ParseBlend(String keyword);
String BlendName(int blend);
int ParseCompareFunc(String keyword);
String CompareFuncName(int func);
int ParseAddressing(String keyword);
String AddressingName(int addressing);

// "Enable" (any case) is on; any other text is off.
bool ParseSwitch(const String& value);
const char* SwitchName(bool on);
