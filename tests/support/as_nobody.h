#pragma once
// Runs a piece of a test as an unprivileged user. The tests run as root, which bypasses a
// tty's exclusive lock and every file permission, so what a user who is not root sees is
// asked of a child process that has dropped to uid and gid 65534 first.

#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

namespace brenmoor::test {

inline constexpr unsigned kNobody = 65534;

// The text `action` returned in the child, which is a member of `groups` besides its own.
// Only root can drop: callers skip otherwise. Throws std::runtime_error when the child could
// not drop or did not finish.
std::string runAsNobody(const std::function<std::string()>& action, const std::vector<gid_t>& groups = {});

}  // namespace brenmoor::test
