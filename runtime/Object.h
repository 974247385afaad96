#pragma once
// Base of every object that the automation surface hands out by reference.
// References are counted (std::shared_ptr); an object lives as long as anyone,
// host or component, holds it.
#include <memory>

namespace corvane::runtime {

class Object {
public:
    virtual ~Object() = default;
};

using ObjectRef = std::shared_ptr<Object>;

}  // namespace corvane::runtime
