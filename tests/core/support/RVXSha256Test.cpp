// SPDX-License-Identifier: GPL-3.0-or-later
// The SHA instructions' hash against the published vectors and against QCryptographicHash
// over every length around the block and padding borders, fed whole and in pieces.
#include "core/support/RVXSha256.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

namespace {

QByteArray hashOf(const QByteArray& data, const std::vector<int>& pieces = {}) {
    RVXSha256 sha;
    qsizetype at = 0;
    for (int piece : pieces) {
        const qsizetype n = std::min<qsizetype>(piece, data.size() - at);
        sha.addData(data.constData() + at, size_t(n));
        at += n;
    }
    sha.addData(data.constData() + at, size_t(data.size() - at));
    return sha.result().toHex();
}

} // namespace

TEST(Sha256, PublishedVectors) {
    // Which of the two is tested here: on a machine with the instructions, both are.
    RecordProperty("accelerated", RVXSha256::accelerated() ? "yes" : "no");
    EXPECT_EQ(hashOf(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(hashOf("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(hashOf("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
              "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
    EXPECT_EQ(hashOf(QByteArray(1000000, 'a')),
              "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

TEST(Sha256, AsQCryptographicHashAtEveryLengthAndInPieces) {
    QByteArray data(4200, Qt::Uninitialized);
    QRandomGenerator rng(256);
    for (char& c : data)
        c = char(rng.bounded(256));
    for (int n = 0; n <= 300; ++n) {
        const QByteArray part = data.left(n);
        const QByteArray expected =
            QCryptographicHash::hash(part, QCryptographicHash::Sha256).toHex();
        ASSERT_EQ(hashOf(part), expected) << n;
        ASSERT_EQ(hashOf(part, {1, 63, 2}), expected) << n;
    }
    const QByteArray expected = QCryptographicHash::hash(data, QCryptographicHash::Sha256).toHex();
    EXPECT_EQ(hashOf(data, {7, 64, 128, 1, 1000, 55}), expected);
    EXPECT_EQ(hashOf(data, {4096}), expected);
}
