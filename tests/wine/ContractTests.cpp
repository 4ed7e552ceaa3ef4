// The binary contract as a host of either architecture meets it: the
// modules' machine, the plug-in's exports by their plain names, and
// operations called by their virtual-table entries with the calling
// convention the host headers state, not through the C++ class.
#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "WineTest.h"

namespace {

using namespace winesuite;

using WineContract = WineTest;

const IMAGE_NT_HEADERS* Headers(HMODULE module) {
    const BYTE* base = reinterpret_cast<const BYTE*>(module);
    return reinterpret_cast<const IMAGE_NT_HEADERS*>(
        base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
}

// The names in the module's export directory, in its order.
std::string ExportedNames(HMODULE module) {
    const BYTE* base = reinterpret_cast<const BYTE*>(module);
    const DWORD at = Headers(module)->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT].VirtualAddress;
    if (at == 0) return "";
    const auto* exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + at);
    const auto* names = reinterpret_cast<const DWORD*>(base + exports->AddressOfNames);
    std::string list;
    for (DWORD i = 0; i < exports->NumberOfNames; ++i)
        list += (i ? " " : "") + std::string(reinterpret_cast<const char*>(base + names[i]));
    return list;
}

// The entry of the object's virtual table for the operation in `slot`, where
// the host finds it.
void* Entry(RenderDevice* device, unsigned slot) {
    return (*reinterpret_cast<void* const* const*>(device))[VirtualTableEntry(slot)];
}
// The fixed-list operation in `slot` called through its entry, with the
// convention the host headers state.
template <typename Result, typename... Args>
Result Call(RenderDevice* device, unsigned slot, Args... args) {
    using Operation = Result(ORV_HOST_THISCALL*)(RenderDevice*, Args...);
    return reinterpret_cast<Operation>(Entry(device, slot))(device, args...);
}

constexpr unsigned kValidateDisplayModeSlot = 6, kSetDisplayModeSlot = 7, kGetDisplayModeSlot = 10;
constexpr unsigned kFromD3DColorSlot = 13, kSetTextureBitDepthSlot = 51, kGetTextureBitDepthSlot = 52;
constexpr unsigned kPrintTextSlot = 83;
constexpr unsigned long kContractColour = 0x80FF4000u;
constexpr unsigned kContractBitDepth = 32;

#if defined(__i386__)
// Calls a fixed-list operation that takes one 32-bit word as a host does on
// x86: the object in ECX and the word pushed. *left receives the bytes the
// operation left on the stack: 0 when it removed its argument itself, as
// __thiscall requires. Returns EAX.
extern "C" uint32_t OrvCallWithOneWord(const void* operation, void* object, uint32_t word,
                                       uint32_t* left);
asm(R"(
    .text
    .globl _OrvCallWithOneWord
_OrvCallWithOneWord:
    pushl %ebp
    movl %esp, %ebp
    pushl %ebx
    movl %esp, %ebx
    pushl 16(%ebp)
    movl 12(%ebp), %ecx
    call *8(%ebp)
    movl %ebx, %ecx
    subl %esp, %ecx
    movl 20(%ebp), %edx
    movl %ecx, (%edx)
    movl %ebx, %esp
    popl %ebx
    popl %ebp
    ret
)");

// The bytes `slot`'s operation left on the stack, called with `word`.
std::string LeftOnStack(RenderDevice* device, unsigned slot, uint32_t word) {
    uint32_t left = 0xFFFFFFFFu;
    OrvCallWithOneWord(Entry(device, slot), device, word, &left);
    return std::to_string(left);
}
#else
// One convention, where the caller always removes what it passed.
std::string LeftOnStack(RenderDevice*, unsigned, uint32_t) { return "none"; }
#endif

}  // namespace

TEST_F(WineContract, ModulesExportsAndOperationsByTableEntry) {
    RenderDevice* device = Device();
    // The build the suite runs, as the fixture names it.
    const char* arch = std::getenv("ORV_WINE_ARCH");
    const bool x86 = arch && std::string(arch) == "x86";
    // Programs and libraries of one architecture.
    EXPECT_EQ(sizeof(void*), x86 ? 4u : 8u);
    const HMODULE plugin = GetModuleHandleA("ORVD3D.dll");
    for (HMODULE module : {GetModuleHandleA(nullptr), plugin, GetModuleHandleA("OrvKernel.dll")}) {
        ASSERT_TRUE(module);
        EXPECT_EQ(Headers(module)->FileHeader.Machine, x86 ? IMAGE_FILE_MACHINE_I386 : IMAGE_FILE_MACHINE_AMD64);
    }

    // The three exports, by their plain names only.
    EXPECT_EQ(ExportedNames(plugin), "CreatePlugin GetRendererVersion SetHostInput");
    EXPECT_TRUE(GetProcAddress(plugin, "CreatePlugin"));
    const auto version = reinterpret_cast<GetRendererVersionFunction>(
        reinterpret_cast<void*>(GetProcAddress(plugin, "GetRendererVersion")));
    ASSERT_TRUE(version);
    EXPECT_EQ(version(), 257u);
    for (const char* name : {"_CreatePlugin", "CreatePlugin@4", "_CreatePlugin@4", "_GetRendererVersion",
                             "GetRendererVersion@0", "_GetRendererVersion@0"})
        EXPECT_FALSE(GetProcAddress(plugin, name)) << name;

    // Operations called by their entries, with the headers' conventions.
    // Slot 6 takes one 32-bit word that it never reads.
    EXPECT_TRUE(Call<bool>(device, kValidateDisplayModeSlot, uint32_t{0xDEADBEEFu}));
    Call<void>(device, kSetTextureBitDepthSlot, kContractBitDepth);
    EXPECT_EQ(Call<unsigned>(device, kGetTextureBitDepthSlot), kContractBitDepth);
    EXPECT_EQ(device->GetTextureBitDepth(), kContractBitDepth);
    const Color raw = Call<Color>(device, kFromD3DColorSlot, kContractColour);
    const Color expected = device->FromD3DColor(kContractColour);
    EXPECT_TRUE(raw.r == expected.r && raw.g == expected.g && raw.b == expected.b && raw.a == expected.a &&
                raw.a != 1.0f);
    // On x86 the operations remove their own arguments (__thiscall).
    EXPECT_EQ(LeftOnStack(device, kValidateDisplayModeSlot, 0), x86 ? "0" : "none");
    EXPECT_EQ(LeftOnStack(device, kSetTextureBitDepthSlot, kContractBitDepth), x86 ? "0" : "none");

    // Six arguments in the table's order, then the mode they made.
    ASSERT_TRUE(Call<bool>(device, kSetDisplayModeSlot, kWidth, kHeight, 32u, 60u, 0u, true));
    DisplayMode mode{};
    EXPECT_EQ(Call<DisplayMode*>(device, kGetDisplayModeSlot, &mode), &mode);
    EXPECT_EQ(std::to_string(mode.width) + "x" + std::to_string(mode.height) + " " +
                  std::to_string(mode.bitsPerPixel) + " bpp " + std::to_string(mode.refreshRate) + " Hz adapter " +
                  std::to_string(mode.adapter) + " windowed " + std::to_string(mode.windowed),
              "640x480 32 bpp 60 Hz adapter 0 windowed 1");

    // The printed lines through the variable-list operation: __cdecl on x86,
    // the object the first stack argument.
    const auto print =
        reinterpret_cast<bool (*)(RenderDevice*, int, int, const char*, ...)>(Entry(device, kPrintTextSlot));
    ExpectLinesPrinted(Frame("presented", kFrameClear, [&](RenderDevice* d) {
        bool printed = true;
        for (const PrintedLine& line : kLines) printed = print(d, line.x, line.y, "%s", line.text) && printed;
        return printed;
    }));
}
