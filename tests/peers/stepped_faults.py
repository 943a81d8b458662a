#!/usr/bin/python3
# Stops a quillon-cli command at every write it makes, once with SIGKILL and once with an I/O
# error (ENOSPC on writes, EIO on flushes and renames), injected by strace at the Nth call of
# each system call in turn, N = 1, 2, ... until the command runs to its end. After every point
# the judge looks at the data, not at exit codes: a writable open repairs the table, check
# passes (fields, count, every index tag against the records), the records are exactly the ones
# before the command or (for a bulk append) a prefix of the ones the whole command writes, the
# sort tag is never lost, and python3-dbfread, python3-dbf and Perl XBase read what list prints.
import os
import shutil
import struct
import subprocess
import sys
import tempfile

CLI = os.environ['QUILLON_CLI']
STRACE = shutil.which('strace')
if not STRACE:
    print('SKIP: strace is not installed')
    sys.exit(0)

import dbf  # python3-dbf
from dbfread import DBF

KILL_CALLS = ['pwrite64', 'rename', 'link']
ERROR_CALLS = [('pwrite64', 'ENOSPC'), ('write', 'ENOSPC'), ('fdatasync', 'EIO'), ('fsync', 'EIO'),
               ('rename', 'EIO')]

# A memory file system when there is one: every point flushes files, which a disk makes slow.
work = tempfile.mkdtemp(dir='/dev/shm' if os.path.isdir('/dev/shm') else None)
env = dict(os.environ, QUILLON_HOME=work + '/home', XDG_CONFIG_HOME=work + '/config', XDG_DATA_HOME=work + '/data')
failures = []


def run(*args, check=True):
    p = subprocess.run([CLI, *args], env=env, capture_output=True)
    if check and p.returncode != 0:
        raise AssertionError('%s: exit %d: %s' % (' '.join(args), p.returncode, p.stderr.decode()))
    return p


def records(path):
    """Raw record bytes in record order, deleted ones included, as counted by the header."""
    with open(path, 'rb') as f:
        data = f.read()
    count, header_len, rec_len = struct.unpack_from('<IHH', data, 4)
    end = header_len + count * rec_len
    assert len(data) in (end, end + 1), 'the file holds %d bytes after %d records' % (len(data) - end, count)
    if len(data) == end + 1:
        assert data[end] == 0x1A, 'no end marker'
    return [data[header_len + i * rec_len:header_len + (i + 1) * rec_len] for i in range(count)]


def tags(path):
    """Tag names of the table's production index, from its tag table (no index: none)."""
    mdx = path[:-4] + '.MDX'
    with open(path, 'rb') as f:
        announced = f.read(32)[28]
    if not announced or not os.path.exists(mdx):
        return set()
    with open(mdx, 'rb') as f:
        header = f.read(2048)
    used = struct.unpack_from('<H', header, 28)[0]
    return {header[544 + 32 * i + 4:544 + 32 * i + 15].split(b'\0')[0].decode().strip() for i in range(used)}


def peers_agree(path):
    listing = run('list', path, '--fields', 'TITLE').stdout.decode('utf-8').split('\n')[1:-1]
    theirs = sorted((r['TITLE'] or '') for r in DBF(path, char_decode_errors='strict'))
    assert sorted(listing) == theirs, 'dbfread reads other titles than list prints'
    table = dbf.Table(path)
    table.open(dbf.READ_ONLY)
    try:
        assert len([r for r in table if not dbf.is_deleted(r)]) == len(listing), 'python3-dbf counts otherwise'
    finally:
        table.close()
    dump = subprocess.run(['dbf_dump', path], capture_output=True, check=True).stdout.split(b'\n')[:-1]
    assert len(dump) == len(listing), 'dbf_dump counts %d, list %d' % (len(dump), len(listing))


def judge(name, path, outcome, call, before, after, expect_tag, appends):
    # A writable open repairs what a kill left; then the table must be whole.
    run('generate', path, '--records', '0')
    run('check', path)
    now = records(path)
    if after is None:
        assert now == before, 'records changed'
    elif outcome == 'done':
        assert now == after, 'the command ended but its records differ'
    elif outcome == 'failed' and call == 'rename':
        # The table's rename is the point of no return; when the index's rename after it fails,
        # the next open rebuilds the index (the table says its index is not current).
        assert now in (before, after), 'a failed rename left neither the old records nor the new ones'
    elif outcome == 'failed':
        assert now == before, 'a failed command left %d of its records' % (len(now) - len(before))
    elif appends:
        # Killed during a bulk append: every record posted before the kill is there, in order.
        assert now == after[:len(now)] and len(now) >= len(before), 'records lost or changed'
    else:
        assert now in (before, after), 'killed half way: neither the old records nor the new ones'
    t = tags(path)
    if expect_tag:
        assert 'NEWINDEX' in t, 'the sort tag is lost'
    peers_agree(path)


def stepped(name, setup, args, after_fn=None, expect_tag=True, again=None, appends=False):
    """setup(path) makes the table; args the command; after_fn: judge against the records the
    whole command writes."""
    only = os.environ.get('STEPPED_ONLY')
    if only and name not in only.split(','):
        return
    base = os.path.join(work, name)
    os.makedirs(base)
    path = os.path.join(base, 'V.DBF')
    setup(path)
    pristine = os.path.join(work, name + '.pristine')
    shutil.copytree(base, pristine)
    before = records(path)
    after = None
    if after_fn:
        run(*[a.replace('@', path) for a in args])
        after = records(path)
    points = 0
    modes = [('kill', c, 'signal=KILL') for c in KILL_CALLS] + [('error', c, 'error=' + e) for c, e in ERROR_CALLS]
    for kind, call, action in modes:
        n = 1
        while True:
            shutil.rmtree(base)
            shutil.copytree(pristine, base)
            cmd = [STRACE, '-f', '-qq', '-o', '/dev/null', '-e', 'trace=' + call,
                   '-e', 'inject=%s:%s:when=%d' % (call, action, n), CLI] + [a.replace('@', path) for a in args]
            p = subprocess.run(cmd, env=env, capture_output=True)
            killed = p.returncode in (137, -9) or b'Killed' in p.stderr
            if kind == 'kill':
                outcome = 'killed' if killed else ('done' if p.returncode == 0 else 'failed')
            else:
                outcome = 'done' if p.returncode == 0 else 'failed'
            if b'SanitizerTool' in p.stderr:
                # Under AddressSanitizer the Nth call was the sanitizer's own, not the program's.
                n += 1
                continue
            points += 1
            where = '%s: %s %s at call %d (%s)' % (name, kind, call, n, outcome)
            try:
                judge(name, path, outcome, call, before, after, expect_tag, appends)
                if again:
                    run(*[a.replace('@', path) for a in again])
            except Exception as e:
                failures.append('%s: %s' % (where, e))
            # The command ran past the Nth call when it was neither killed nor stopped by the error.
            reached = killed if kind == 'kill' else (p.returncode != 0)
            if not reached or n > 400:
                break
            n += 1
    print('%s: %d fault points' % (name, points))


def table_with_sort(records_count):
    def setup(path):
        run('generate', path, '--records', str(records_count), '--seed', '7')
        run('sort', path, 'Title')
    return setup


def plain_table(records_count):
    def setup(path):
        run('generate', path, '--records', str(records_count), '--seed', '7')
    return setup


def with_deletions(path):
    table_with_sort(18)(path)
    data = bytearray(open(path, 'rb').read())
    count, header_len, rec_len = struct.unpack_from('<IHH', data, 4)
    for i in range(0, count, 3):
        data[header_len + i * rec_len] = ord('*')
    open(path, 'wb').write(bytes(data))


stepped('generate', table_with_sort(12), ['generate', '@', '--records', '5', '--seed', '9'], after_fn=True,
        appends=True)
stepped('post', table_with_sort(12), ['generate', '@', '--records', '1', '--seed', '9'], after_fn=True,
        appends=True)
stepped('sort', table_with_sort(15), ['sort', '@', 'Year', 'Title'], again=['sort', '@', 'Title'])
stepped('sort-new', plain_table(15), ['sort', '@', 'Title'], expect_tag=False, again=['sort', '@', 'Year'])
stepped('reindex', table_with_sort(15), ['reindex', '@'])
stepped('pack', with_deletions, ['pack', '@'], after_fn=True)
stepped('create', table_with_sort(10), ['create', '@'], after_fn=True, expect_tag=False)

shutil.rmtree(work)
if failures:
    print('\n'.join(failures[:40]), file=sys.stderr)
    print('%d failing fault points' % len(failures), file=sys.stderr)
    sys.exit(1)
