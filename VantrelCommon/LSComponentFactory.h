// Makes the objects of one component: always the real implementation, except inside a test-runner
// process, where the setting "Mock.<component>" chooses a recorder (1) or a player (2) configured
// by "Mock.<component>.Config".
#pragma once

#include "VantrelCommon/Exceptions.h"
#include "VantrelCommon/LSDiag.h"
#include "VantrelCommon/LSSetting.h"
#include "VantrelCommon/StdString.h"

#include <memory>

template <class Interface, class Real, class Recorder, class Playback> class LSComponentFactoryT {
public:
    virtual ~LSComponentFactoryT() = default;

    static void Create(std::unique_ptr<Interface>& component) {
        if (!LSDiag::runningUnderTests) {
            component = MakeReady<Real>();
            return;
        }
        const CStdStr<wchar_t> key = CStdStr<wchar_t>(L"Mock.") + Interface::kComponentName;
        const DWORD mode = LSSetting::GetInstance()->GetUserDwordConfigDetails(key, 0).value;
        if (mode == 0) {
            component = MakeReady<Real>();
            return;
        }
        const CStdStr<wchar_t> config =
            LSSetting::GetInstance()->GetUserString(key + L".Config", CStdStr<wchar_t>());
        if (mode == 1) {
            component = MakeReady<Recorder>();
        } else if (mode == 2) {
            component = MakeReady<Playback>();
        } else {
            LSDIAG_ERROR << "Failed to locate component " << mode;
            ThrowHResult(E_INVALIDARG);
        }
        component->SetConfig(config);
    }

private:
    // A component that holds a platform object creates it at once.
    template <class Implementation> static std::unique_ptr<Interface> MakeReady() {
        auto made = std::make_unique<Implementation>();
        if constexpr (requires { made->CreateXMLHttpRequest(); }) {
            made->CreateXMLHttpRequest();
        }
        return made;
    }
};
