#include "host/Kernel.h"

#include <cstdarg>
#include <cstddef>

#include "KernelLog.h"
#include "TextFormat.h"
#include "host/FileSystem.h"
#include "host/Window.h"

// Plug-ins read these two fields by position.
static_assert(offsetof(Kernel, m_pWindow) == 4 * sizeof(void*), "the window is the 5th field");
static_assert(offsetof(Kernel, m_pFileSystem) == 5 * sizeof(void*),
              "the file system is the 6th field");

namespace {

constexpr uintptr_t kKernelVersion = 0x00010000;
constexpr unsigned long kWindowWidth = 640;
constexpr unsigned long kWindowHeight = 480;

}  // namespace

Kernel::Kernel(const char* logPath, bool console)
    : m_pLog(new KernelLog(logPath, console)),
      m_Version(kKernelVersion),
      m_Flags(0),
      m_pReserved(nullptr),
      m_pWindow(new Window("ORV", kWindowWidth, kWindowHeight)),
      m_pFileSystem(new FileSystem("")) {}

Kernel::~Kernel() {
    delete m_pFileSystem;
    delete m_pWindow;
    delete m_pLog;
}

// A message that already ends in a newline is not given a second one, so
// "text\n" and "text" make the same line.
void Kernel::LogMessage(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string line = FormatText(format, args);
    va_end(args);
    if (!line.empty() && line.back() == '\n') line.pop_back();
    m_pLog->Write(line);
}

void Kernel::SetCapture(bool capture) { m_pLog->m_Capture = capture; }

const std::vector<std::string>& Kernel::GetCapturedLines() const { return m_pLog->m_Captured; }

void Kernel::ClearCapturedLines() { m_pLog->m_Captured.clear(); }
