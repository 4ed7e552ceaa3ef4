#include "capture/Player.h"

namespace orvcapture {

struct Player::Impl {
    std::string error = "not implemented";
    MachineInfo machine;
};

Player::Player() : m_pImpl(new Impl) {}
Player::~Player() = default;
bool Player::Open(const std::string&) { return false; }
bool Player::OpenMemory(const uint8_t*, size_t) { return false; }
const std::string& Player::Error() const { return m_pImpl->error; }
const MachineInfo& Player::Machine() const { return m_pImpl->machine; }
ReplayOutcome Player::Run(const PluginEntry&, Kernel*, const ReplayOptions&) { return {}; }
ReplayOutcome Player::Check() { return {}; }
const char* StopReasonName(StopReason) { return "refused"; }

}  // namespace orvcapture
