#!/usr/bin/python3
"""Prints a received message as JSON, decoded by Python's own e-mail parser: its headers as a reader
sees them, the text body, and each attachment's file name, type and bytes (base64)."""
import base64
import json
import sys
from email import policy
from email.parser import BytesParser

with open(sys.argv[1], "rb") as f:
    raw = f.read()
message = BytesParser(policy=policy.default).parsebytes(raw)
head = raw.split(b"\r\n\r\n", 1)[0]
out = {
    "from": str(message["From"]),
    "to": str(message["To"]),
    "subject": str(message["Subject"]),
    "date": str(message["Date"]),
    # A header travels as 7-bit text: anything else is encoded.
    "headers_ascii": all(b < 128 for b in head),
    "longest_header_line": max(len(line) for line in head.split(b"\r\n")),
    "body": message.get_body(preferencelist=("plain",)).get_content(),
    "attachments": [
        {"filename": part.get_filename(), "type": part.get_content_type(),
         "data": base64.b64encode(part.get_payload(decode=True)).decode("ascii")}
        for part in message.iter_attachments()
    ],
}
json.dump(out, sys.stdout, ensure_ascii=False)
