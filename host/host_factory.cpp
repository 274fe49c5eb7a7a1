#include "host/host_factory.h"

namespace brevanta::host {

namespace {
HostFactory* installedFactory = nullptr;
}

void setHostFactory(HostFactory* factory) { installedFactory = factory; }

HostFactory* hostFactory() { return installedFactory; }

ApplicationPtr createHost() {
    if (!installedFactory) throw HostError(QStringLiteral("ActiveX component can't create object"));
    ApplicationPtr app = installedFactory->create();
    if (!app) throw HostError(QStringLiteral("ActiveX component can't create object"));
    return app;
}

QString objectNotSetText() { return QStringLiteral("Object variable or With block variable not set"); }

}  // namespace brevanta::host
