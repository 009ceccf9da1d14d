// What the XMLHTTP tests share: making, opening and polling a request, and a gate that holds a reply
// back until the test opens it.
#pragma once

#include "Platform/Combase.h"
#include "Platform/MsXml.h"
#include "tests/Platform/ComTestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

namespace PlatformTest {

inline VARIANT Flag(bool value) {
    VARIANT v{};
    v.vt = VT_BOOL;
    v.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
    return v;
}

inline Ref<IXMLHTTPRequest> NewRequest() {
    CLSID clsid{};
    EXPECT_EQ(S_OK, CLSIDFromProgID(L"msxml2.XMLHTTP", &clsid));
    Ref<IXMLHTTPRequest> request;
    EXPECT_EQ(S_OK, CoCreateInstance(clsid, nullptr, CLSCTX_ALL, __uuidof(IXMLHTTPRequest),
                                     reinterpret_cast<void**>(request.Out())));
    return request;
}

inline HRESULT Open(IXMLHTTPRequest* request, const wchar_t* method, const std::wstring& url,
                    bool async = true) {
    VARIANT empty{};
    return request->open(Bstr(method), Bstr(url.c_str()), Flag(async), empty, empty);
}

// Polls readyState as the system's wait loop does, until the request completes.
inline void PollUntilDone(IXMLHTTPRequest* request) {
    for (int pass = 0; pass < 10000; ++pass) {
        LONG state = 0;
        ASSERT_EQ(S_OK, request->get_readyState(&state));
        if (state == 4) {
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    FAIL() << "request did not complete";
}

inline LONG Status(IXMLHTTPRequest* request) {
    LONG status = 0;
    EXPECT_EQ(S_OK, request->get_status(&status));
    return status;
}

// Gates a route until the test opens it, so that a reply is pending for as long as the test wants.
class Gate {
public:
    void Wait() {
        std::unique_lock lock(mutex_);
        opened_.wait(lock, [&] { return open_; });
    }
    void Open() {
        std::lock_guard lock(mutex_);
        open_ = true;
        opened_.notify_all();
    }

private:
    std::mutex mutex_;
    std::condition_variable opened_;
    bool open_ = false;
};

} // namespace PlatformTest
