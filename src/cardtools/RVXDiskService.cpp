// SPDX-License-Identifier: GPL-3.0-or-later
#include "RVXDiskService.h"

namespace {
std::shared_ptr<RVXDiskService>& sharedService() {
    static std::shared_ptr<RVXDiskService> service;
    return service;
}
} // namespace

RVXDiskService::~RVXDiskService() = default;

RVXDiskService* RVXDiskService::shared() {
    return sharedService().get();
}

void RVXDiskService::setShared(std::shared_ptr<RVXDiskService> service) {
    sharedService() = std::move(service);
}
