#!/usr/bin/env python3
"""Long-poll load for the HTTP channel: N web clients each hold a /q poll open on their
own keep-alive connection while a driver changes volume, shuffle and repeat through /xml.
At the end every client must hold the newest value of every event type: an event that
coalescing replaced is fine, a client left with a stale value is a loss.

usage: web_longpoll.py PORT [CLIENTS] [CHANGES]"""
import asyncio
import re
import sys
import time
import urllib.parse

PORT = int(sys.argv[1])
CLIENTS = int(sys.argv[2]) if len(sys.argv) > 2 else 200
CHANGES = int(sys.argv[3]) if len(sys.argv) > 3 else 40


async def request(reader, writer, target):
    writer.write(f"GET {target} HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n".encode())
    await writer.drain()
    head = await reader.readuntil(b"\r\n\r\n")
    status = int(head.split(b" ", 2)[1])
    length = int(re.search(rb"Content-Length: (\d+)", head).group(1))
    body = await reader.readexactly(length)
    return status, body.decode("utf-8", "replace")


class Client:
    def __init__(self):
        self.latest = {}
        self.events = 0
        self.polling = asyncio.Event()

    async def run(self, stop):
        reader, writer = await asyncio.open_connection("127.0.0.1", PORT)
        _, qid = await request(reader, writer, "/q?c=new")
        while not stop.is_set():
            self.polling.set()
            status, body = await request(reader, writer, "/q?c=" + qid)
            if status == 404:
                _, qid = await request(reader, writer, "/q?c=new")
                continue
            for name, inner in re.findall(r"<event><(\w+)>(.*?)</\1></event>", body, re.S):
                self.events += 1
                self.latest[name] = inner.strip()
        writer.close()


async def xml(name, body=""):
    reader, writer = await asyncio.open_connection("127.0.0.1", PORT)
    doc = f"<{name}><requestId>1</requestId>{body}</{name}>"
    status, text = await request(reader, writer, "/xml?m=" + urllib.parse.quote(doc))
    writer.close()
    return status, text


async def main():
    stop = asyncio.Event()
    clients = [Client() for _ in range(CLIENTS)]
    tasks = [asyncio.create_task(c.run(stop)) for c in clients]
    await asyncio.gather(*(c.polling.wait() for c in clients))
    started = time.monotonic()
    volume = shuffle = repeat = None
    for i in range(CHANGES):
        volume = 20 + (i * 7) % 70
        await xml("SetVolumeRequest", f"<volume>{volume}</volume>")
        if i % 5 == 0:
            shuffle = "true" if (i // 5) % 2 == 0 else "false"
            repeat = "false" if shuffle == "true" else "true"
            await xml("SetShuffleStateRequest", f"<shuffleState>{shuffle}</shuffleState>")
            await xml("SetRepeatStateRequest", f"<repeatState>{repeat}</repeatState>")
        await asyncio.sleep(0.1)
    await asyncio.sleep(2.5)  # past the player's coalescing delay
    stop.set()
    expected = {
        "VolumeChangedEvent": f"<volume>{volume}</volume>",
        "ShuffleStateChangedEvent": f"<shuffleState>{shuffle}</shuffleState>",
        "RepeatStateChangedEvent": f"<repeatState>{repeat}</repeatState>",
    }
    stale = sum(1 for c in clients if any(c.latest.get(k) != v for k, v in expected.items()))
    events = sum(c.events for c in clients)
    elapsed = time.monotonic() - started
    for t in tasks:
        t.cancel()
    await asyncio.gather(*tasks, return_exceptions=True)
    print(f"clients={CLIENTS} changes={CHANGES} events_delivered={events} "
          f"events_per_client={events / CLIENTS:.1f} stale_clients={stale} seconds={elapsed:.1f}")
    return 0 if stale == 0 else 1


sys.exit(asyncio.run(main()))
