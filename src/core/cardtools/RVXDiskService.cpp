// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/cardtools/RVXDiskService.h"

namespace {
std::shared_ptr<RVXDiskService>& sharedService() {
    static std::shared_ptr<RVXDiskService> service;
    return service;
}
// Without a service there is nothing mounted to tell of.
class NoDisks : public RVXDiskService {
public:
    QList<RVXMountedVolume> mountedVolumes() override { return {}; }
    std::optional<QString> setVolumeName(const QString&, const QString&, bool) override {
        return QStringLiteral("no disk service");
    }
    std::optional<QString> unmountVolume(const QString&) override {
        return QStringLiteral("no disk service");
    }
    std::optional<QString> mountVolume(const QString&) override {
        return QStringLiteral("no disk service");
    }
};
} // namespace

RVXDiskService::~RVXDiskService() = default;

bool RVXDiskService::watchChanges(QObject*, std::function<void()>) {
    return false;
}

RVXDiskService& RVXDiskService::current() {
    static NoDisks none;
    RVXDiskService* service = shared();
    return service ? *service : none;
}

std::shared_ptr<RVXDiskService> RVXDiskService::currentHeld() {
    if (sharedService())
        return sharedService();
    // The empty service lives as long as the program; held without owning it.
    return std::shared_ptr<RVXDiskService>(std::shared_ptr<RVXDiskService>(), &current());
}

RVXDiskService* RVXDiskService::shared() {
    return sharedService().get();
}

void RVXDiskService::setShared(std::shared_ptr<RVXDiskService> service) {
    sharedService() = std::move(service);
}
