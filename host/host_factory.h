#pragma once
// Where the program's host instances come from. The program installs the
// embedded engine's factory at start-up; tests install their own. Nothing
// is installed by default, so this library does not depend on any backend.

#include "host/host_api.h"

namespace brevanta::host {

// Installs the factory (not owned); nullptr leaves none installed.
void setHostFactory(HostFactory* factory);
HostFactory* hostFactory();

// A new host instance from the installed factory. Throws HostError when
// there is no factory or it gives no instance.
ApplicationPtr createHost();

// The text of a call on a host object that is not there.
QString objectNotSetText();

// The object behind a host handle; throws HostError when the handle is empty.
template <class Pointer>
auto& must(const Pointer& pointer) {
    if (!pointer) throw HostError(objectNotSetText());
    return *pointer;
}

}  // namespace brevanta::host
