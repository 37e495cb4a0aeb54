#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <optional>

// Package manifests and scripts and the archive manifest are cp1251 text files.
QString DecodeCp1251(QByteArrayView bytes);

// The cp1251 bytes of text, or nothing when text holds a character cp1251 cannot represent;
// that character is then stored in *bad (when given), so the caller can name it.
std::optional<QByteArray> EncodeCp1251(QStringView text, QString* bad = nullptr);
