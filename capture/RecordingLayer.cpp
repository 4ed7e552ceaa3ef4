#include "capture/RecordingLayer.h"

#include "capture/RecordingTexture.h"

namespace orvcapture {

void RecordingLayer::SetSrcBlend(int blend) { Rec(Operation::Layer_SetSrcBlend, [&] { m_pInner->SetSrcBlend(blend); }, blend); }
void RecordingLayer::SetDestBlend(int blend) { Rec(Operation::Layer_SetDestBlend, [&] { m_pInner->SetDestBlend(blend); }, blend); }
void RecordingLayer::SetAlphaArg1(int argument) { Rec(Operation::Layer_SetAlphaArg1, [&] { m_pInner->SetAlphaArg1(argument); }, argument); }
void RecordingLayer::SetAlphaArg2(int argument) { Rec(Operation::Layer_SetAlphaArg2, [&] { m_pInner->SetAlphaArg2(argument); }, argument); }
void RecordingLayer::SetColorArg1(int argument) { Rec(Operation::Layer_SetColorArg1, [&] { m_pInner->SetColorArg1(argument); }, argument); }
void RecordingLayer::SetColorArg2(int argument) { Rec(Operation::Layer_SetColorArg2, [&] { m_pInner->SetColorArg2(argument); }, argument); }
void RecordingLayer::SetColorOp(int operation) { Rec(Operation::Layer_SetColorOp, [&] { m_pInner->SetColorOp(operation); }, operation); }
void RecordingLayer::SetAlphaOp(int operation) { Rec(Operation::Layer_SetAlphaOp, [&] { m_pInner->SetAlphaOp(operation); }, operation); }
void RecordingLayer::SetAddressing(int addressing) { Rec(Operation::Layer_SetAddressing, [&] { m_pInner->SetAddressing(addressing); }, addressing); }
void RecordingLayer::SetLighting(bool lighting) { Rec(Operation::Layer_SetLighting, [&] { m_pInner->SetLighting(lighting); }, lighting); }
int RecordingLayer::GetSrcBlend() { return Rec(Operation::Layer_GetSrcBlend, [&] { return m_pInner->GetSrcBlend(); }); }
int RecordingLayer::GetDestBlend() { return Rec(Operation::Layer_GetDestBlend, [&] { return m_pInner->GetDestBlend(); }); }
int RecordingLayer::GetAlphaArg1() { return Rec(Operation::Layer_GetAlphaArg1, [&] { return m_pInner->GetAlphaArg1(); }); }
int RecordingLayer::GetAlphaArg2() { return Rec(Operation::Layer_GetAlphaArg2, [&] { return m_pInner->GetAlphaArg2(); }); }
int RecordingLayer::GetColorArg1() { return Rec(Operation::Layer_GetColorArg1, [&] { return m_pInner->GetColorArg1(); }); }
int RecordingLayer::GetColorArg2() { return Rec(Operation::Layer_GetColorArg2, [&] { return m_pInner->GetColorArg2(); }); }
int RecordingLayer::GetColorOp() { return Rec(Operation::Layer_GetColorOp, [&] { return m_pInner->GetColorOp(); }); }
int RecordingLayer::GetAlphaOp() { return Rec(Operation::Layer_GetAlphaOp, [&] { return m_pInner->GetAlphaOp(); }); }
int RecordingLayer::GetAddressing() { return Rec(Operation::Layer_GetAddressing, [&] { return m_pInner->GetAddressing(); }); }
bool RecordingLayer::GetLighting() { return Rec(Operation::Layer_GetLighting, [&] { return m_pInner->GetLighting(); }); }

Texture* RecordingLayer::GetTexture() {
    CallRecord record(m_Recorder, Operation::Layer_GetTexture, m_Number);
    bool isNew = false;
    RecordingTexture* texture = m_Recorder.Wrap<RecordingTexture>(m_pInner->GetTexture(), &isNew);
    record.Results(ObjectValue{texture ? texture->Number() : 0, isNew});
    return texture;
}

String RecordingLayer::GetTextureName() {
    CallRecord record(m_Recorder, Operation::Layer_GetTextureName, m_Number);
    String name = m_pInner->GetTextureName();
    record.Results(name.c_str());
    return name;
}

bool RecordingLayer::SetTexture(Texture* texture) {
    uint32_t number = 0;
    Texture* inner = m_Recorder.Unwrap(texture, &number);
    return Rec(Operation::Layer_SetTexture, [&] { return m_pInner->SetTexture(inner); }, ObjectValue{number});
}

bool RecordingLayer::LoadTexture(const char* path) {
    return Rec(Operation::Layer_LoadTexture, [&] { return m_pInner->LoadTexture(path); }, path);
}

bool RecordingLayer::ReleaseTexture() {
    return Rec(Operation::Layer_ReleaseTexture, [&] { return m_pInner->ReleaseTexture(); });
}

}  // namespace orvcapture
