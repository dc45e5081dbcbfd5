#pragma once
// Throwaway certificates for TLS tests, made at run time with OpenSSL and
// written as PEM files into a temporary folder that is removed again:
// a certificate authority, a server certificate and key signed by it, and a
// second, unrelated authority that verifies nothing of ours.
//
//     dalvero::test::TestPki pki("localhost");
//     FakePeer peer(script, FakePeer::Tls{pki.certFile, pki.keyFile});
//     dbServerConnection db("localhost", peer.PortText(), "", "", true, 5, pki.caFile);

#include <string>

#include "temp_dir.h"

namespace dalvero::test {

class TestPki {
    TempDir folder_;  // first: the files below live in it

public:
    // The server certificate names hostName (common name and DNS
    // subjectAltName) and, with loopbackIp, also the address 127.0.0.1.
    explicit TestPki(const std::string& hostName = "localhost", bool loopbackIp = true);
    TestPki(const TestPki&) = delete;
    TestPki& operator=(const TestPki&) = delete;

    // The server key once more, encrypted with password; returns its path.
    std::string WriteEncryptedKey(const std::string& password) const;

    std::string dir;
    std::string caFile;
    std::string certFile;
    std::string keyFile;
    std::string otherCaFile;
};

}  // namespace dalvero::test
