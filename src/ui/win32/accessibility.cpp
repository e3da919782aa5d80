#include "ui/win32/accessibility.h"

#include <initguid.h>  // defines the GUIDs oleacc.h declares, in this one file

#include <oleacc.h>

#include <iterator>
#include <string>
#include <utility>

namespace tarvel::ui::win32 {
namespace {

// UI Automation's live-setting property, which oleacc.h of older SDKs does not name.
// {C12BCD8E-2A8E-4950-8AE7-3625111D58EB}
const GUID kLiveSettingProperty = {
    0xc12bcd8e, 0x2a8e, 0x4950, {0x8a, 0xe7, 0x36, 0x25, 0x11, 0x1d, 0x58, 0xeb}};
constexpr long kAssertive = 2;  // LiveSetting: spoken at once, interrupting

}  // namespace

Annotations::Annotations() {
    void* service = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_IAccPropServices, &service))) {
        service_ = static_cast<IAccPropServices*>(service);
    }
}

Annotations::~Annotations() {
    if (service_ != nullptr) {
        service_->Release();
    }
}

void Annotations::name(HWND control, std::string_view name, std::string_view description) {
    if (service_ == nullptr) {
        return;
    }
    if (!name.empty()) {
        const std::wstring text = platform::win32::widen(name);
        service_->SetHwndPropStr(control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
                                 PROPID_ACC_NAME, text.c_str());
    }
    if (!description.empty()) {
        const std::wstring text = platform::win32::widen(description);
        service_->SetHwndPropStr(control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
                                 PROPID_ACC_DESCRIPTION, text.c_str());
    }
}

void Annotations::liveRegion(HWND control) {
    if (service_ == nullptr) {
        return;
    }
    VARIANT setting;
    VariantInit(&setting);
    setting.vt = VT_I4;
    setting.lVal = kAssertive;
    service_->SetHwndProp(control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
                          kLiveSettingProperty, setting);
}

void Annotations::clear(HWND control) {
    if (service_ == nullptr) {
        return;
    }
    MSAAPROPID properties[] = {PROPID_ACC_NAME, PROPID_ACC_DESCRIPTION, kLiveSettingProperty};
    service_->ClearHwndProps(control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, properties,
                             static_cast<int>(std::size(properties)));
}

MessageLineFace::MessageLineFace(HWND label, HWND window, UINT settleMessage)
    : label_(label), window_(window), settleMessage_(settleMessage) {}

bool MessageLineFace::afterEvent(platform::Handler job) {
    job_ = std::move(job);
    return PostMessageW(window_, settleMessage_, 0, 0) != FALSE;
}

void MessageLineFace::run() {
    const platform::Handler job = std::move(job_);
    job_ = {};
    if (job) {
        job();
    }
}

void MessageLineFace::announce(std::string_view text) {
    if (!text.empty()) {
        NotifyWinEvent(EVENT_OBJECT_LIVEREGIONCHANGED, label_.handle(), OBJID_CLIENT,
                       CHILDID_SELF);
    }
}

}  // namespace tarvel::ui::win32
