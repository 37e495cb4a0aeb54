#pragma once

#include <QString>

#include <cstdint>

// One protocol kind as the catalogue of installed kinds and the package manifests name it.
struct protocolDescription {
    QString name;
    int32_t signature = 0;
};
