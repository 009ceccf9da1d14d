#pragma once
// Finding the objects a request names; an unknown id is a server fault, as the real server answers.

#include "tools/demo-meridio/repository/Repository.h"

#include <string>

namespace DemoMeridio {

const Document& RequireDocument(const Repository& repository, long id);
Document& RequireDocument(Repository& repository, long id);
const Container& RequireContainer(const Repository& repository, long id);
Container& RequireContainer(Repository& repository, long id);

} // namespace DemoMeridio
