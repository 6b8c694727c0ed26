// A refusal of the admin tool: the message says what was refused and why,
// and nothing was changed.
#pragma once

#include <stdexcept>

namespace lumo_server {

class AdminError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace lumo_server
