// The request interface and the factory that hands out every request object: the real request, or
// inside a test runner the recorder or the player chosen by the setting Mock.ILSHttpRequest.
#pragma once

#include "KOVACommon/LSHttpRequest.h"
#include "KOVACommon/LSHttpRequestMocks.h"
#include "VantrelCommon/LSComponentFactory.h"

using LSHttpRequestFactory =
    LSComponentFactoryT<ILSHttpRequest, LSHttpRequest, LSHttpRequestMocks::LSHttpRequestRecorder,
                        LSHttpRequestMocks::LSHttpRequestPlayback>;
