#!/usr/bin/env python3
"""The man page scenario-compiler(1) and the bash, zsh and fish completions,
made from the built program's own help texts.

Usage: program_interface.py PROGRAM OUTPUT_DIR VERSION

Runs PROGRAM --help, PROGRAM COMMAND --help for each command it lists (the
helper programs' commands answer through it) and PROGRAM explain --list,
and writes OUTPUT_DIR/man1/scenario-compiler.1 and, in
OUTPUT_DIR/completion/, scenario-compiler.bash, _scenario-compiler (zsh)
and scenario-compiler.fish. Run at build time, so that what is installed
describes the program it is installed with.
"""

import os
import re
import subprocess
import sys

NAME = "scenario-compiler"

# What a positional names, by command and positional: the kind of file a
# completion offers (file name endings; "dir" a directory; "code" the
# codes of explain --list). The help texts name positionals, not kinds.
POSITIONAL_KINDS = {
    ("compile", "LINE"): ["txt"],
    ("compile", "TRAIN"): ["txt"],
    ("check", "LINE"): ["txt"],
    ("check", "TRAIN"): ["txt"],
    ("inspect", "FILE"): ["dat", "sim"],
    ("plot", "DIR_OR_FILES"): ["dir", "dat", "sim"],
    ("decompile", "DIR_OR_FILES"): ["dir", "dat", "sim"],
    ("diff", "OLD"): ["dir", "txt", "dat", "sim"],
    ("diff", "NEW"): ["dir", "txt", "dat", "sim"],
    ("view", "DIR_OR_FILES"): ["dir", "txt", "dat", "sim"],
    ("explain", "CODE"): ["code"],
}
# What an option's value names, by its type name.
VALUE_KINDS = {"DIR": ["dir"], "OUT": ["svg", "png"]}


def run(program, *args):
    r = subprocess.run([program, *args], capture_output=True, text=True)
    if r.returncode != 0:
        sys.exit("%s %s: status %d: %s" % (program, " ".join(args), r.returncode, r.stderr))
    return r.stdout


class Entry:
    """An option, positional or command of a help text."""

    def __init__(self, usage, text):
        self.usage = usage
        self.text = " ".join(text.split())
        tokens = usage.split()
        self.names = tokens[0].split(",")
        rest = [t for t in tokens[1:] if t not in ("REQUIRED", "...")]
        self.required = "REQUIRED" in tokens
        self.many = "..." in tokens or any(t.endswith("...") for t in tokens[1:])
        self.arg = None
        self.values = []
        self.default = None
        if rest:
            arg = rest[0]
            m = re.match(r"^([^:={]+?)(?:\.\.\.)?(?:=([^:]*))?(?::\{([^}]*)\})?$", arg)
            if m:
                self.arg, self.default = m.group(1), m.group(2)
                if m.group(3):
                    self.values = m.group(3).split(",")
            else:
                self.arg = arg
        if not self.values and self.arg and self.many:
            # Values listed in the help: "...: first, second, third; fourth (note)".
            m = re.search(r":\s*([a-z]+(?:\s*[,;]\s*[a-z]+)+)", self.text)
            if m:
                self.values = [v.strip() for v in re.split(r"[,;]", m.group(1))]

    @property
    def name(self):
        return self.names[-1]

    def usage(self):
        text = ", ".join(self.names)
        if self.arg:
            text += " " + self.arg
        return text


class Help:
    """One help text, cut into its parts."""

    def __init__(self, text):
        self.summary, self.usage, self.notes, self.exit_status = [], [], [], []
        self.positionals, self.options, self.commands = [], [], []
        lines = text.rstrip("\n").split("\n")
        section = "summary"
        entries = None
        paragraph = []

        def close_paragraph():
            if paragraph:
                (self.exit_status if section == "exit" else self.notes).append("\n".join(paragraph))
                paragraph.clear()

        for line in lines:
            if line.startswith("Usage:"):
                section = "usage"
                self.usage.append(line[len("Usage:") :].strip())
                continue
            if section == "usage" and line.startswith(" ") and line.strip():
                self.usage.append(line.strip())
                continue
            header = {"Positionals:": self.positionals, "Options:": self.options, "Subcommands:": self.commands}
            if line.strip() in header:
                close_paragraph()
                section, entries = "entries", header[line.strip()]
                continue
            if line.startswith("Exit status:"):
                close_paragraph()
                section = "exit"
                rest = line[len("Exit status:") :].strip()
                if rest:
                    paragraph.append(rest)
                continue
            if not line.strip():
                close_paragraph()
                if section in ("usage", "entries"):
                    section = "notes"
                continue
            if section == "summary":
                self.summary.append(line)
            elif section == "entries":
                m = re.match(r"^  (\S.*?)(?:\s{2,}(\S.*))?$", line)
                if m and not line.startswith("    "):
                    entries.append([m.group(1), m.group(2) or ""])
                else:
                    entries[-1][1] += " " + line.strip()
            else:
                if section == "usage":
                    section = "notes"
                paragraph.append(line)
        close_paragraph()
        self.positionals = [Entry(*e) for e in self.positionals]
        self.options = [Entry(*e) for e in self.options]
        self.commands = [Entry(*e) for e in self.commands]


def read_program(program):
    main = Help(run(program, "--help"))
    commands = {}
    for c in main.commands:
        commands[c.name] = Help(run(program, c.name, "--help"))
    codes = [line.split()[0] for line in run(program, "explain", "--list").splitlines() if line.strip()]
    return main, commands, codes


# ----------------------------------------------------------------- man page


def roff(text):
    text = text.replace("\\", "\\e").replace("-", "\\-")
    return "\n".join("\\&" + l if l.startswith((".", "'")) else l for l in text.split("\n"))


def roff_options(entries, positional=False):
    out = []
    for e in entries:
        if e.names[0] in ("-h", "--help") or e.name == "--version":
            continue
        out.append(".TP")
        head = ", ".join("\\fB" + roff(n) + "\\fR" for n in e.names)
        if e.arg and not positional:
            head += " \\fI" + roff(e.arg) + "\\fR"
        out.append(head)
        text = e.text
        if e.values:
            text += " (one of: " + ", ".join(e.values) + ")"
        if e.default:
            text += " (default: " + e.default + ")"
        out.append(roff(text))
    return out


def notes(paragraphs):
    """Free text as in the help: lines kept, indented ones as examples."""
    out = []
    for p in paragraphs:
        out += [".PP", ".nf", roff(p), ".fi"]
    return out


def man_page(main, commands, codes, version):
    out = [
        '.TH "SCENARIO\\-COMPILER" "1" "" "scenario-compiler %s" "User Commands"' % version,
        ".SH NAME",
        "scenario\\-compiler \\- " + roff(main.summary[0].rstrip(".").lower()[0] + main.summary[0].rstrip(".")[1:]),
        ".SH SYNOPSIS",
    ]
    out += [".nf", "\\fBscenario\\-compiler\\fR [\\fB\\-\\-out\\fR \\fIDIR\\fR] [\\fB\\-\\-sync\\fR] [\\fB\\-\\-force\\fR]"]
    for name, h in commands.items():
        for u in h.usage:
            u = u.replace(NAME + " ", "", 1)
            out.append("\\fBscenario\\-compiler\\fR " + roff(u))
    out += ["\\fBscenario\\-compiler\\fR [\\fICOMMAND\\fR] \\fB\\-\\-help\\fR | \\fB\\-\\-version\\fR", ".fi"]
    out += [".SH DESCRIPTION", roff(" ".join(main.summary))]
    out += [".SH OPTIONS", "Without a command the program runs its embedded scenario; these options apply to that run."]
    out += roff_options(main.options)
    out += [".TP", "\\fB\\-h\\fR, \\fB\\-\\-help\\fR", "Print the help of the program or of a command, and exit."]
    out += [".TP", "\\fB\\-\\-version\\fR", "Print the version and the compiled files' layouts, and exit (every command takes it too)."]
    out.append(".SH COMMANDS")
    for c in main.commands:
        h = commands[c.name]
        out += ['.SS "%s"' % roff(c.name), ".nf"]
        out += ["\\fBscenario\\-compiler\\fR " + roff(u.replace(NAME + " ", "", 1)) for u in h.usage]
        out += [".fi", ".PP", roff(c.text)]
        if h.positionals:
            out += roff_options(h.positionals, positional=True)
        out += roff_options(h.options)
        out += notes(h.notes)
    out.append('.SH "EXIT STATUS"')
    for line in main.exit_status[0].split("\n")[0:]:
        m = re.match(r"^\s*(\d+)\s+(.*)$", line)
        if m:
            out += [".TP", "\\fB%s\\fR" % m.group(1), roff(m.group(2))]
    view = commands.get("view")
    if view and view.exit_status:
        out += [".PP", "view: " + roff(" ".join(view.exit_status))]
    out += [
        ".SH FILES",
        ".TP",
        "\\fIPREFIX\\fB/libexec/scenario\\-compiler/\\fR",
        "The helper programs: \\fBscenario\\-compiler\\-inspect\\fR, \\fB\\-plot\\fR, \\fB\\-view\\fR and \\fB\\-lsp\\fR "
        "run those commands, \\fBscenario\\-compiler\\-run\\fR shows the embedded run's status window. "
        "Each is looked up beside the program first, then here.",
        ".TP",
        "\\fINAME\\fB_linea.txt\\fR, \\fINAME\\fB_\\fINUMBER\\fB\\-.txt\\fR",
        "The line and the train description of a scenario; see \\fBscenario\\-description\\fR(5).",
        ".TP",
        "\\fINAME\\fB_linea.dat\\fR, \\fINAME\\fB_\\fINUMBER\\fB.sim\\fR, \\fINAME\\fB_\\fINUMBER\\fB.dat\\fR",
        "The compiled files: the track plan, the element table and the cells.",
        ".TP",
        "\\fINAME\\fB_\\fINUMBER\\fB_scheda_treno.txt\\fR, \\fB_rallentamenti.txt\\fR, \\fB_note.txt\\fR",
        "The embedded scenario's documents for the driver, written by the run and by \\fBexport\\fR.",
        ".PP",
        "Without a command the run writes beside the executable; where that directory cannot be "
        "written (an installed program), it stops with status 4 before writing anything: give "
        "\\fB\\-\\-out\\fR \\fIDIR\\fR.",
        ".SH ENVIRONMENT",
        ".TP",
        "\\fBDISPLAY\\fR",
        "Where the status window and the viewer are shown; without it the run writes "
        "\\(lqAttendere\\(rq on standard error.",
        ".TP",
        "\\fBNO_COLOR\\fR",
        "Set, it keeps \\fB\\-\\-color auto\\fR from colouring the diagnostics.",
        ".SH EXAMPLES",
    ]
    out += notes(main.notes)
    out += [
        ".PP",
        "The fault codes that \\fBexplain\\fR knows: " + roff(", ".join(codes)) + ".",
        '.SH "SEE ALSO"',
        ".BR scenario\\-description (5)",
    ]
    return "\n".join(out) + "\n"


# -------------------------------------------------------------- completion


def command_line_model(main, commands, codes):
    """For each command ("" the program without one): its options (name,
    what their value is, or None for a flag), its positionals' kinds."""
    model = {}

    def option_kinds(entries):
        opts = []
        for e in entries:
            kind = None
            if e.arg:
                kind = e.values or VALUE_KINDS.get(e.arg, ["any"])
                if e.values:
                    kind = ["value"] + e.values
            opts.append((e.names, kind, e.text))
        return opts

    model[""] = (option_kinds(main.options), [])
    for name, h in commands.items():
        positionals = [(POSITIONAL_KINDS.get((name, p.name), ["any"]), p.many) for p in h.positionals]
        if name == "view":  # its own help: LINE TRAIN or DIR_OR_FILES...
            positionals = [(POSITIONAL_KINDS[("view", "DIR_OR_FILES")], True)]
        entries = list(h.options)
        if not any(e.names[0] in ("-h", "--help") for e in entries):
            entries.append(Entry("-h,--help", "Print this help message and exit"))
        model[name] = (option_kinds(entries), positionals)
    return model


def short(text):
    """An option's help without its closing remark in brackets."""
    return re.sub(r" \([^()]*\)$", "", text)


def sh_quote(s):
    return "'" + s.replace("'", "'\\''") + "'"


def bash_words(kind, codes):
    """The bash commands that fill COMPREPLY for a value of `kind`."""
    if kind is None or kind == ["any"]:
        return "return"
    if kind[0] == "value":
        return 'COMPREPLY=($(compgen -W %s -- "$cur")); return' % sh_quote(" ".join(kind[1:]))
    if kind == ["code"]:
        return 'COMPREPLY=($(compgen -W "$codes" -- "$cur")); return'
    return "_scenario_compiler_files %s; return" % " ".join(kind)


def bash_completion(main, commands, codes):
    model = command_line_model(main, commands, codes)
    out = [
        "# bash completion of scenario-compiler (made from its --help at build time).",
        "",
        "# COMPREPLY: directories, and files ending in the given endings (\"dir\": directories only).",
        "_scenario_compiler_files() {",
        "  local IFS=$'\\n' ending",
        "  compopt -o filenames 2>/dev/null",
        '  COMPREPLY=($(compgen -d -- "$cur"))',
        "  for ending in \"$@\"; do",
        '    [[ $ending == dir ]] && continue',
        '    COMPREPLY+=($(compgen -f -X "!*.$ending" -- "$cur"))',
        "  done",
        "}",
        "",
        "_scenario_compiler() {",
        '  local cur="${COMP_WORDS[COMP_CWORD]}" prev="" command="" i',
        "  ((COMP_CWORD > 0)) && prev=\"${COMP_WORDS[COMP_CWORD-1]}\"",
        "  local codes=%s" % sh_quote(" ".join(codes)),
        "  COMPREPLY=()",
    ]
    # The command: the first word that is no option nor an option's value.
    with_value = sorted({n for names, kind, _ in model[""][0] if kind for n in names})
    out += [
        "  for ((i = 1; i < COMP_CWORD; i++)); do",
        '    case "${COMP_WORDS[i]}" in',
    ]
    if with_value:
        out.append("      %s) ((i++)) ;;" % "|".join(with_value))
    out += [
        "      -*) ;;",
        '      *) command="${COMP_WORDS[i]}"; break ;;',
        "    esac",
        "  done",
        "  # The positional being completed: the words after the command that are",
        "  # no option nor an option's value.",
        "  local position=0 j",
        '  case "$command" in',
    ]
    for name, (opts, positionals) in model.items():
        value_opts = sorted({n for names, kind, _ in opts if kind for n in names})
        all_opts = sorted({n for names, _, _ in opts for n in names})
        out.append('    %s)' % (sh_quote(name) if name else '""'))
        # An option's value.
        out.append('      case "$prev" in')
        for names, kind, _ in opts:
            if kind:
                out.append("        %s) %s ;;" % ("|".join(names), bash_words(kind, codes)))
        out.append("      esac")
        out.append('      if [[ $cur == -* ]]; then')
        out.append('        COMPREPLY=($(compgen -W %s -- "$cur")); return' % sh_quote(" ".join(all_opts)))
        out.append("      fi")
        if not name:
            out.append('      COMPREPLY=($(compgen -W %s -- "$cur")); return' % sh_quote(" ".join(commands)))
        else:
            out.append("      for ((j = i + 1; j < COMP_CWORD; j++)); do")
            out.append('        case "${COMP_WORDS[j]}" in')
            if value_opts:
                out.append("          %s) ((j++)) ;;" % "|".join(value_opts))
            out.append("          -*) ;;")
            out.append("          *) ((position++)) ;;")
            out.append("        esac")
            out.append("      done")
            out.append('      case "$position" in')
            for k, (kind, _) in enumerate(positionals):
                last = k == len(positionals) - 1
                out.append("        %s) %s ;;" % ("*" if last else str(k), bash_words(kind, codes)))
            out.append("      esac")
        out.append("      ;;")
    out += ["  esac", "}", "complete -F _scenario_compiler scenario-compiler", ""]
    return "\n".join(out)


def zsh_escape(s):
    return s.replace("\\", "\\\\").replace("[", "\\[").replace("]", "\\]").replace(":", "\\:").replace("'", "'\\''")


def zsh_action(kind, codes):
    if kind is None:
        return None
    if kind == ["any"]:
        return " "
    if kind[0] == "value":
        return "(" + " ".join(kind[1:]) + ")"
    if kind == ["code"]:
        return "(" + " ".join(codes) + ")"
    if kind == ["dir"]:
        return "_files -/"
    endings = [k for k in kind if k != "dir"]
    return "_files -g \"*.(%s)\"" % "|".join(endings) if len(endings) > 1 else "_files -g \"*.%s\"" % endings[0]


def zsh_argument_words(opts, positionals, codes):
    """The words of zsh's _arguments for each option and positional, each a shell word as written in the script."""
    words = []
    for names, kind, text in opts:
        desc = zsh_escape(short(text))
        action = zsh_action(kind, codes)
        tail = ":%s:%s" % (names[-1].lstrip("-"), action) if action else ""
        tail = tail.replace("'", "'\\''")
        if len(names) == 1:
            words.append("'%s[%s]%s'" % (names[0], desc, tail))
        else:
            words.append("'(%s)'{%s}'[%s]%s'" % (" ".join(names), ",".join(names), desc, tail))
    for k, (kind, many) in enumerate(positionals):
        action = zsh_action(kind, codes).replace("'", "'\\''")
        words.append("'%s:%s:%s'" % ("*" if many else str(k + 1), "code" if kind == ["code"] else "file", action))
    return words


def zsh_completion(main, commands, codes):
    model = command_line_model(main, commands, codes)
    out = [
        "#compdef scenario-compiler",
        "# zsh completion of scenario-compiler (made from its --help at build time).",
        "",
        "_scenario-compiler() {",
        "  local context state state_descr line",
        "  typeset -A opt_args",
        "  local -a commands",
        "  commands=(",
    ]
    for c in main.commands:
        out.append("    '%s:%s'" % (c.name, zsh_escape(c.text)))
    out += ["  )", "  _arguments -C \\"]
    for s in zsh_argument_words(model[""][0], [], codes):
        out.append("    %s \\" % s)
    out += [
        "    '1: :->command' \\",
        "    '*:: :->arguments'",
        "  case $state in",
        "    command) _describe -t commands 'command' commands ;;",
        "    arguments)",
        "      case $line[1] in",
    ]
    for name, (opts, positionals) in model.items():
        if not name:
            continue
        out.append("        %s)" % name)
        out.append("          _arguments \\")
        words = zsh_argument_words(opts, positionals, codes)
        for k, s in enumerate(words):
            out.append("            %s%s" % (s, " \\" if k < len(words) - 1 else ""))
        out.append("          ;;")
    out += ["      esac", "      ;;", "  esac", "}", "", '_scenario-compiler "$@"', ""]
    return "\n".join(out)


def fish_escape(s):
    return "'" + s.replace("\\", "\\\\").replace("'", "\\'") + "'"


def fish_arguments(kind, codes):
    if kind is None:
        return ""
    if kind == ["any"]:
        return " -x"
    if kind[0] == "value":
        return " -x -a %s" % fish_escape(" ".join(kind[1:]))
    if kind == ["code"]:
        return " -x -a %s" % fish_escape(" ".join(codes))
    return " -x -a '(__scenario_compiler_files %s)'" % " ".join(kind)


def fish_completion(main, commands, codes):
    model = command_line_model(main, commands, codes)
    names = " ".join(commands)
    out = [
        "# fish completion of scenario-compiler (made from its --help at build time).",
        "complete -c scenario-compiler -f",
        "",
        "# Directories, and files ending in the given endings (\"dir\": directories only).",
        "function __scenario_compiler_files",
        "    set -l token (commandline -ct)",
        "    for ending in $argv",
        "        if test $ending = dir",
        "            continue",
        "        end",
        "        set -l found $token*.$ending",
        "        printf '%s\\n' $found",
        "    end",
        "    __fish_complete_directories $token ''",
        "end",
        "",
    ]
    for c in main.commands:
        out.append(
            "complete -c scenario-compiler -n '__fish_use_subcommand' -a %s -d %s" % (c.name, fish_escape(c.text))
        )

    def option_lines(condition, opts):
        lines = []
        for names_, kind, text in opts:
            flags = ""
            for n in names_:
                flags += " -l %s" % n[2:] if n.startswith("--") else " -s %s" % n[1:]
            lines.append(
                "complete -c scenario-compiler -n %s%s%s -d %s"
                % (condition, flags, fish_arguments(kind, codes), fish_escape(short(text)))
            )
        return lines

    out += option_lines("'__fish_use_subcommand'", model[""][0])
    for name, (opts, positionals) in model.items():
        if not name:
            continue
        condition = "'__fish_seen_subcommand_from %s'" % name
        out += option_lines(condition, opts)
        kinds = []
        for kind, _ in positionals:
            kinds += [k for k in kind if k not in kinds]
        if kinds == ["code"]:
            out.append("complete -c scenario-compiler -n %s -x -a %s" % (condition, fish_escape(" ".join(codes))))
        elif kinds:
            out.append("complete -c scenario-compiler -n %s%s" % (condition, fish_arguments(kinds, codes)))
    out.append("")
    return "\n".join(out)


def write(path, text):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w", encoding="utf-8") as f:
        f.write(text)


def main():
    if len(sys.argv) != 4:
        sys.stderr.write(__doc__)
        return 2
    program, out, version = sys.argv[1:]
    main_help, commands, codes = read_program(program)
    write(os.path.join(out, "man1", NAME + ".1"), man_page(main_help, commands, codes, version))
    write(os.path.join(out, "completion", NAME + ".bash"), bash_completion(main_help, commands, codes))
    write(os.path.join(out, "completion", "_" + NAME), zsh_completion(main_help, commands, codes))
    write(os.path.join(out, "completion", NAME + ".fish"), fish_completion(main_help, commands, codes))
    return 0


if __name__ == "__main__":
    sys.exit(main())
