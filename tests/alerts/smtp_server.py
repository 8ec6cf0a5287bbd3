#!/usr/bin/python3
"""SMTP server for the mail tests, built on aiosmtpd.

Listens on 127.0.0.1 (a free port), prints the port on one line once it
accepts connections, and stores every message it receives as a JSON file in
the folder given by --store: {"mail_from", "rcpt_tos", "content" (base64 of
the raw message), "subject" (decoded), "body" (the text part, decoded with
its declared charset), "charset"}.

  --auth USER:PASSWORD   require SMTP AUTH (PLAIN or LOGIN) with exactly these
  --tls CERT KEY         offer STARTTLS with this certificate and require it
                         before AUTH and mail

Runs until it is killed or its standard input is closed.
"""

import argparse
import asyncio
import base64
import email
import email.header
import json
import os
import ssl
import sys

from aiosmtpd.smtp import SMTP, AuthResult, LoginPassword


class StoringHandler:
    def __init__(self, folder):
        self.folder = folder
        self.count = 0

    async def handle_DATA(self, server, session, envelope):
        self.count += 1
        raw = envelope.original_content or envelope.content
        message = email.message_from_bytes(raw)
        subject = str(email.header.make_header(email.header.decode_header(message["Subject"] or "")))
        body, charset = "", None
        for part in message.walk():
            if part.get_content_type() == "text/plain":
                charset = part.get_content_charset()
                body = part.get_payload(decode=True).decode(charset or "ascii", "replace")
                body = body.replace("\r\n", "\n")
                break
        record = {
            "mail_from": envelope.mail_from,
            "rcpt_tos": list(envelope.rcpt_tos),
            "content": base64.b64encode(raw).decode("ascii"),
            "subject": subject,
            "body": body,
            "charset": charset,
        }
        path = os.path.join(self.folder, "message-%d.json" % self.count)
        with open(path + ".part", "w", encoding="utf-8") as out:
            json.dump(record, out)
        os.rename(path + ".part", path)
        return "250 Message accepted for delivery"


def make_authenticator(user, password):
    def authenticate(server, session, envelope, mechanism, auth_data):
        if isinstance(auth_data, LoginPassword):
            if auth_data.login == user.encode() and auth_data.password == password.encode():
                return AuthResult(success=True)
        return AuthResult(success=False, handled=False)
    return authenticate


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--store", required=True)
    parser.add_argument("--auth")
    parser.add_argument("--tls", nargs=2, metavar=("CERT", "KEY"))
    options = parser.parse_args()

    handler = StoringHandler(options.store)
    settings = {"hostname": "tarnwell-test-smtp"}
    if options.tls:
        context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
        context.load_cert_chain(options.tls[0], options.tls[1])
        settings.update(tls_context=context, require_starttls=True)
    if options.auth:
        user, _, password = options.auth.partition(":")
        settings.update(authenticator=make_authenticator(user, password),
                        auth_required=True, auth_require_tls=bool(options.tls))

    loop = asyncio.new_event_loop()
    asyncio.set_event_loop(loop)
    server = loop.run_until_complete(
        loop.create_server(lambda: SMTP(handler, **settings), host="127.0.0.1", port=0))
    print(server.sockets[0].getsockname()[1], flush=True)

    # Ends when the test closes our standard input (or the process is killed).
    loop.add_reader(sys.stdin.fileno(), lambda: sys.stdin.buffer.read1(65536) or loop.stop())
    loop.run_forever()


if __name__ == "__main__":
    main()
