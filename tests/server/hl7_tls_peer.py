#!/usr/bin/env python3
# An interface engine speaking MLLP over TLS, for the HL7 listener tests:
# python3-hl7's asyncio client sends each message file given (one message,
# segments ended by carriage returns) on one connection, verifying the
# server against the CA, and prints each acknowledgement's MSA segment.
# Usage: hl7_tls_peer.py PORT CAFILE FILE...
import asyncio
import ssl
import sys

import hl7
from hl7.mllp import open_hl7_connection


async def main(port, ca_file, files):
    context = ssl.create_default_context(cafile=ca_file)
    reader, writer = await open_hl7_connection("127.0.0.1", port, ssl=context, server_hostname="localhost",
                                               encoding="utf-8")
    for name in files:
        with open(name, encoding="utf-8", newline="") as f:
            writer.writemessage(hl7.parse(f.read()))
        await writer.drain()
        ack = await reader.readmessage()
        print(str(ack.segment("MSA")))
    writer.close()


asyncio.run(main(int(sys.argv[1]), sys.argv[2], sys.argv[3:]))
