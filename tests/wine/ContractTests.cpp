// The binary contract as a host of either architecture meets it: the
// modules' machine, the plug-in's exports by their plain names, and
// operations called by their virtual-table entries with the calling
// convention the host headers state, not through the C++ class.
#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "Scene.h"
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
    const IMAGE_DATA_DIRECTORY& directory =
        Headers(module)->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    if (directory.VirtualAddress == 0) return "";
    const auto* exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + directory.VirtualAddress);
    const auto* names = reinterpret_cast<const DWORD*>(base + exports->AddressOfNames);
    std::string list;
    for (DWORD i = 0; i < exports->NumberOfNames; ++i)
        list += (i ? " " : "") + std::string(reinterpret_cast<const char*>(base + names[i]));
    return list;
}

// The operation in `slot` as the host finds it: an entry of the object's
// virtual table.
template <typename Function>
Function Operation(RenderDevice* device, unsigned slot) {
    void* const* table = *reinterpret_cast<void* const* const*>(device);
    return reinterpret_cast<Function>(table[VirtualTableEntry(slot)]);
}

constexpr unsigned kValidateDisplayModeSlot = 6;
constexpr unsigned kSetDisplayModeSlot = 7;
constexpr unsigned kGetDisplayModeSlot = 10;
constexpr unsigned kFromD3DColorSlot = 13;
constexpr unsigned kSetTextureBitDepthSlot = 51;
constexpr unsigned kGetTextureBitDepthSlot = 52;
constexpr unsigned kPrintTextSlot = 83;

using ValidateDisplayMode = bool(ORV_HOST_THISCALL*)(RenderDevice*, uint32_t);
using SetDisplayMode = bool(ORV_HOST_THISCALL*)(RenderDevice*, unsigned, unsigned, unsigned, unsigned,
                                                unsigned, bool);
using GetDisplayMode = DisplayMode*(ORV_HOST_THISCALL*)(RenderDevice*, DisplayMode*);
using FromD3DColor = Color(ORV_HOST_THISCALL*)(RenderDevice*, unsigned long);
using SetTextureBitDepth = void(ORV_HOST_THISCALL*)(RenderDevice*, unsigned);
using GetTextureBitDepth = unsigned(ORV_HOST_THISCALL*)(RenderDevice*);
// Variable-list operations are __cdecl on x86: the object is the first
// stack argument.
using PrintText = bool (*)(RenderDevice*, int, int, const char*, ...);

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
    void* const* table = *reinterpret_cast<void* const* const*>(device);
    uint32_t left = 0xFFFFFFFFu;
    OrvCallWithOneWord(table[VirtualTableEntry(slot)], device, word, &left);
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

    // The two exports, by their plain names only.
    EXPECT_EQ(ExportedNames(plugin), "CreatePlugin GetRendererVersion");
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
    EXPECT_TRUE(Operation<ValidateDisplayMode>(device, kValidateDisplayModeSlot)(device, 0xDEADBEEFu));
    Operation<SetTextureBitDepth>(device, kSetTextureBitDepthSlot)(device, kContractBitDepth);
    EXPECT_EQ(Operation<GetTextureBitDepth>(device, kGetTextureBitDepthSlot)(device), kContractBitDepth);
    EXPECT_EQ(device->GetTextureBitDepth(), kContractBitDepth);
    const Color raw = Operation<FromD3DColor>(device, kFromD3DColorSlot)(device, kContractColour);
    const Color expected = device->FromD3DColor(kContractColour);
    EXPECT_TRUE(raw.r == expected.r && raw.g == expected.g && raw.b == expected.b && raw.a == expected.a &&
                raw.a != 1.0f);
    // On x86 the operations remove their own arguments (__thiscall).
    EXPECT_EQ(LeftOnStack(device, kValidateDisplayModeSlot, 0), x86 ? "0" : "none");
    EXPECT_EQ(LeftOnStack(device, kSetTextureBitDepthSlot, kContractBitDepth), x86 ? "0" : "none");

    // Six arguments in the table's order, then the mode they made.
    ASSERT_TRUE(Operation<SetDisplayMode>(device, kSetDisplayModeSlot)(device, kWidth, kHeight, 32, 60, 0, true));
    DisplayMode mode{};
    EXPECT_EQ(Operation<GetDisplayMode>(device, kGetDisplayModeSlot)(device, &mode), &mode);
    EXPECT_EQ(std::to_string(mode.width) + "x" + std::to_string(mode.height) + " " +
                  std::to_string(mode.bitsPerPixel) + " bpp " + std::to_string(mode.refreshRate) + " Hz adapter " +
                  std::to_string(mode.adapter) + " windowed " + std::to_string(mode.windowed),
              "640x480 32 bpp 60 Hz adapter 0 windowed 1");

    // The printed lines through the variable-list operation.
    const PrintText print = Operation<PrintText>(device, kPrintTextSlot);
    ExpectLinesPrinted(Frame("presented", kFrameClear, [&](RenderDevice* d) {
        bool printed = true;
        for (const PrintedLine& line : kLines) printed = print(d, line.x, line.y, "%s", line.text) && printed;
        return printed;
    }), kFrameClear);
}
