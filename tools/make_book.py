#!/usr/bin/env python3
"""Writes data/tarnvik.bk, the engine's opening book, from the named opening
lines in tools/book_lines.txt.

The lines are kept in standard algebraic notation because that is how openings
are written and checked by people; this script plays each one on its own small
board, refuses any move that is not legal, and writes the coordinate notation
that the engine reads (e2e4, e1g1, e7e8q).

Input format: one opening line per text line: a name, a colon, then the
moves, with or without move numbers ("Italian: 1. e4 e5 2. Nf3 Nc6 3. Bc4").
Check marks are verified, so a mistyped move of the right piece is caught.
Lines starting with '#' and blank lines are skipped. Every line must be legal,
8 to 20 plies long and not a repeat of another.

Usage: tools/make_book.py [input] [output]
"""

import os
import re
import sys

FILES = "abcdefgh"
KNIGHT = [(1, 2), (2, 1), (-1, 2), (-2, 1), (1, -2), (2, -1), (-1, -2), (-2, -1)]
KING = [(1, 0), (-1, 0), (0, 1), (0, -1), (1, 1), (1, -1), (-1, 1), (-1, -1)]
ROOK_DIRS = [(1, 0), (-1, 0), (0, 1), (0, -1)]
BISHOP_DIRS = [(1, 1), (1, -1), (-1, 1), (-1, -1)]


def name(sq):
    return FILES[sq[0]] + str(sq[1] + 1)


class Board:
    """Squares are (file, rank) with 0-based indices; pieces are letters,
    upper case for White."""

    def __init__(self):
        self.sq = {}
        back = "RNBQKBNR"
        for f in range(8):
            self.sq[(f, 0)] = back[f]
            self.sq[(f, 1)] = "P"
            self.sq[(f, 6)] = "p"
            self.sq[(f, 7)] = back[f].lower()
        self.white = True
        self.castle = set("KQkq")
        self.ep = None  # square a pawn skipped on the last move

    def copy(self):
        b = Board.__new__(Board)
        b.sq = dict(self.sq)
        b.white = self.white
        b.castle = set(self.castle)
        b.ep = self.ep
        return b

    def own(self, piece):
        return piece is not None and piece.isupper() == self.white

    def attacked(self, target, by_white):
        """True when a piece of the given colour attacks the square."""
        tf, tr = target
        for (f, r), p in self.sq.items():
            if p.isupper() != by_white:
                continue
            kind = p.upper()
            df, dr = tf - f, tr - r
            if kind == "P":
                step = 1 if by_white else -1
                if dr == step and abs(df) == 1:
                    return True
            elif kind == "N":
                if (df, dr) in KNIGHT:
                    return True
            elif kind == "K":
                if max(abs(df), abs(dr)) == 1:
                    return True
            else:
                dirs = []
                if kind in "RQ":
                    dirs += ROOK_DIRS
                if kind in "BQ":
                    dirs += BISHOP_DIRS
                for sf, sr in dirs:
                    cf, cr = f + sf, r + sr
                    while 0 <= cf < 8 and 0 <= cr < 8:
                        if (cf, cr) == target:
                            return True
                        if (cf, cr) in self.sq:
                            break
                        cf, cr = cf + sf, cr + sr
        return False

    def king(self, white):
        k = "K" if white else "k"
        return next(s for s, p in self.sq.items() if p == k)

    def pseudo_moves(self):
        """(from, to, promotion, kind) for the side to move."""
        moves = []
        for (f, r), p in list(self.sq.items()):
            if not self.own(p):
                continue
            kind = p.upper()
            if kind == "P":
                step = 1 if self.white else -1
                start = 1 if self.white else 6
                last = 7 if self.white else 0
                one = (f, r + step)
                if one not in self.sq:
                    moves.append(((f, r), one))
                    two = (f, r + 2 * step)
                    if r == start and two not in self.sq:
                        moves.append(((f, r), two))
                for df in (-1, 1):
                    t = (f + df, r + step)
                    if not 0 <= t[0] < 8:
                        continue
                    if (t in self.sq and not self.own(self.sq[t])) or t == self.ep:
                        moves.append(((f, r), t))
                continue
            if kind in "NK":
                for df, dr in KNIGHT if kind == "N" else KING:
                    t = (f + df, r + dr)
                    if 0 <= t[0] < 8 and 0 <= t[1] < 8 and not self.own(self.sq.get(t)):
                        moves.append(((f, r), t))
                continue
            dirs = (ROOK_DIRS if kind in "RQ" else []) + (BISHOP_DIRS if kind in "BQ" else [])
            for sf, sr in dirs:
                t = (f + sf, r + sr)
                while 0 <= t[0] < 8 and 0 <= t[1] < 8:
                    if t in self.sq:
                        if not self.own(self.sq[t]):
                            moves.append(((f, r), t))
                        break
                    moves.append(((f, r), t))
                    t = (t[0] + sf, t[1] + sr)
        # Castling: rights, empty squares between, and no attacked square on the king's way.
        rank = 0 if self.white else 7
        k, q = ("K", "Q") if self.white else ("k", "q")
        home = (4, rank)
        if self.sq.get(home) == ("K" if self.white else "k"):
            enemy = not self.white
            if (k in self.castle and self.sq.get((7, rank)) == ("R" if self.white else "r")
                    and all((f, rank) not in self.sq for f in (5, 6))
                    and not any(self.attacked((f, rank), enemy) for f in (4, 5, 6))):
                moves.append((home, (6, rank)))
            if (q in self.castle and self.sq.get((0, rank)) == ("R" if self.white else "r")
                    and all((f, rank) not in self.sq for f in (1, 2, 3))
                    and not any(self.attacked((f, rank), enemy) for f in (4, 3, 2))):
                moves.append((home, (2, rank)))
        return moves

    def play(self, frm, to, promo=None):
        p = self.sq.pop(frm)
        kind = p.upper()
        if kind == "P" and to == self.ep:
            self.sq.pop((to[0], frm[1]), None)
        if kind == "K" and abs(to[0] - frm[0]) == 2:
            rank = frm[1]
            if to[0] == 6:
                self.sq[(5, rank)] = self.sq.pop((7, rank))
            else:
                self.sq[(3, rank)] = self.sq.pop((0, rank))
        if kind == "P" and to[1] in (0, 7):
            p = (promo or "Q").upper() if self.white else (promo or "q").lower()
        self.sq[to] = p
        self.ep = (frm[0], (frm[1] + to[1]) // 2) if kind == "P" and abs(to[1] - frm[1]) == 2 else None
        if kind == "K":
            self.castle -= set("KQ" if self.white else "kq")
        for corner, right in (((0, 0), "Q"), ((7, 0), "K"), ((0, 7), "q"), ((7, 7), "k")):
            if frm == corner or to == corner:
                self.castle.discard(right)
        self.white = not self.white

    def legal(self):
        out = []
        for frm, to in self.pseudo_moves():
            b = self.copy()
            b.play(frm, to)
            if not b.attacked(b.king(self.white), b.white):
                out.append((frm, to))
        return out

    def in_check(self):
        return self.attacked(self.king(self.white), not self.white)


SAN = re.compile(r"^([NBRQK])?([a-h])?([1-8])?(x)?([a-h][1-8])(=?[NBRQ])?[+#]?$")


def san_to_move(board, san):
    """Coordinate text of a SAN move, or raise ValueError."""
    text = san.rstrip("!?")
    legal = board.legal()
    rank = 0 if board.white else 7
    if text.rstrip("+#") in ("O-O", "O-O-O"):
        to = (6 if text.rstrip("+#") == "O-O" else 2, rank)
        if ((4, rank), to) not in legal or board.sq.get((4, rank)).upper() != "K":
            raise ValueError("illegal castling " + san)
        return (4, rank), to, None
    m = SAN.match(text)
    if not m:
        raise ValueError("unreadable move " + san)
    piece, ffile, frank, capture, dest, promo = m.groups()
    piece = piece or "P"
    to = (FILES.index(dest[0]), int(dest[1]) - 1)
    found = []
    for frm, t in legal:
        p = board.sq[frm]
        if t != to or p.upper() != piece:
            continue
        if piece == "K" and abs(t[0] - frm[0]) == 2:
            continue  # castling is written O-O
        if ffile and FILES[frm[0]] != ffile:
            continue
        if frank and frm[1] != int(frank) - 1:
            continue
        found.append(frm)
    if len(found) != 1:
        raise ValueError(("ambiguous " if found else "illegal ") + san)
    frm = found[0]
    is_capture = to in board.sq or (piece == "P" and to == board.ep)
    if bool(capture) != is_capture:
        raise ValueError("capture mark wrong in " + san)
    if piece == "P" and to[1] in (0, 7) and not promo:
        raise ValueError("promotion piece missing in " + san)
    # A check mark must be right too: it is a cheap guard against typing the
    # wrong move of the right piece.
    after = board.copy()
    after.play(frm, to, promo[-1] if promo else None)
    if text.endswith(("+", "#")) != after.in_check():
        raise ValueError("check mark wrong in " + san)
    return frm, to, promo[-1].lower() if promo else None


def convert(moves_text):
    board = Board()
    out = []
    for token in moves_text.split():
        if re.fullmatch(r"\d+\.(\.\.)?", token):
            continue
        token = re.sub(r"^\d+\.(\.\.)?", "", token)
        frm, to, promo = san_to_move(board, token)
        board.play(frm, to, promo)
        out.append(name(frm) + name(to) + (promo or ""))
    return out


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    source = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "book_lines.txt")
    target = sys.argv[2] if len(sys.argv) > 2 else os.path.join(here, "..", "data", "tarnvik.bk")
    lines, seen, errors = [], set(), 0
    for number, raw in enumerate(open(source, encoding="utf-8"), 1):
        raw = raw.strip()
        if not raw or raw.startswith("#"):
            continue
        title, _, moves = raw.rpartition(":")
        try:
            coords = convert(moves)
        except ValueError as error:
            print(f"{source}:{number}: {title}: {error}", file=sys.stderr)
            errors += 1
            continue
        if not 8 <= len(coords) <= 20:
            print(f"{source}:{number}: {title}: {len(coords)} plies", file=sys.stderr)
            errors += 1
            continue
        key = " ".join(coords)
        if key in seen:
            print(f"{source}:{number}: {title}: duplicate line", file=sys.stderr)
            errors += 1
            continue
        seen.add(key)
        lines.append((title.strip(), key))
    if errors:
        sys.exit(1)
    with open(target, "w", encoding="ascii", newline="\n") as out:
        out.write("# tarnvik opening book: one game line per text line, moves from the\n")
        out.write("# initial position in coordinate notation. Generated by tools/make_book.py\n")
        out.write("# from tools/book_lines.txt; edit that file and run the script again.\n")
        for title, key in lines:
            out.write(f"# {title}\n{key}\n")
    print(f"{len(lines)} lines written to {os.path.relpath(target)}")


if __name__ == "__main__":
    main()
