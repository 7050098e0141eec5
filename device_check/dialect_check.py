#!/usr/bin/env python3
"""The handset's sources read as its own compiler would take them.

eMbedded Visual C++ 4.0 compiles with a compiler of the Visual C++ 6.0
generation (_MSC_VER 1200 to 1202) and a cut-down C++ library. Each source and
each header is parsed once by clang (libclang), with the device-branch
check's flags, and its syntax tree is searched for what that generation
rejects or compiles wrongly, and for anything outside the list of constructs
that compiler is known to take (ALLOW_LIST). Reports `file:line: rule:
explanation` and exits with 1 when there is any.

    dialect_check.py --root DIR [--libclang SO] FILE... -- CLANG-ARGS...

The arguments after `--` are the device-branch compile flags; a forced
`-include` among them is compiled once into a precompiled header, so that the
system headers it brings are parsed once for all files.
"""

import argparse
import ctypes
import os
import sys
import tempfile

try:
    import clang.cindex as ci
except ImportError:
    # Debian's python3-clang-14 installs for the system's Python only.
    sys.path.append("/usr/lib/python3/dist-packages")
    import clang.cindex as ci

DEFAULT_LIBCLANG = "/usr/lib/x86_64-linux-gnu/libclang-14.so.1"

# Library headers that eMbedded Visual C++ 4.0 and a Windows CE 4.2 SDK are
# documented to have (docs/building.md, "What the device compiler accepts").
# The C headers go by their .h names: the device's declare their names in the
# global namespace only.
ALLOWED_HEADERS = {
    "stddef.h", "stdio.h", "stdlib.h", "string.h", "math.h", "float.h",
    "string", "vector",
    "windows.h", "raserror.h", "wininet.h", "afxwin.h",
}

# The C library's names (C90 and its wide-character amendment), which the
# device declares in the global namespace only.
C_LIBRARY_NAMES = set("""
    size_t ptrdiff_t NULL offsetof
    FILE fpos_t EOF BUFSIZ remove rename tmpfile tmpnam fclose fflush fopen freopen
    setbuf setvbuf fprintf fscanf printf scanf sprintf sscanf vfprintf vprintf vsprintf
    snprintf vsnprintf fgetc fgets fputc fputs getc getchar gets putc putchar puts ungetc
    fread fwrite fgetpos fseek fsetpos ftell rewind clearerr feof ferror perror
    div_t ldiv_t atof atoi atol strtod strtol strtoul rand srand calloc free malloc realloc
    abort atexit exit getenv system bsearch qsort abs div labs ldiv mblen mbtowc wctomb
    mbstowcs wcstombs
    memcpy memmove strcpy strncpy strcat strncat memcmp strcmp strcoll strncmp strxfrm
    memchr strchr strcspn strpbrk strrchr strspn strstr strtok memset strerror strlen
    acos asin atan atan2 cos sin tan cosh sinh tanh exp frexp ldexp log log10 modf pow
    sqrt ceil fabs floor fmod
    isalnum isalpha iscntrl isdigit isgraph islower isprint ispunct isspace isupper
    isxdigit tolower toupper
    clock_t time_t tm clock difftime mktime time asctime ctime gmtime localtime strftime
    wint_t mbstate_t wcslen wcscpy wcsncpy wcscat wcsncat wcscmp wcsncmp wcschr wcsrchr
    wcsstr wcstol wcstoul wcstod wmemcpy wmemmove wmemset wmemcmp wmemchr swprintf
    fwprintf wprintf fgetws fputws towlower towupper iswspace iswdigit iswalpha
    jmp_buf setjmp longjmp signal raise sig_atomic_t va_list setlocale localeconv lconv
""".split())

# Members of std::basic_string that the device's library (Visual C++ 6.0's)
# lacks or may lack, with the form that is certain to be there.
STRING_MEMBERS = {
    "push_back": "append with += instead",
    "clear": "use erase() instead",
}

CLASS_KINDS = {
    ci.CursorKind.CLASS_DECL, ci.CursorKind.STRUCT_DECL, ci.CursorKind.UNION_DECL,
    ci.CursorKind.CLASS_TEMPLATE, ci.CursorKind.CLASS_TEMPLATE_PARTIAL_SPECIALIZATION,
}
FUNCTION_KINDS = {
    ci.CursorKind.FUNCTION_DECL, ci.CursorKind.CXX_METHOD, ci.CursorKind.CONSTRUCTOR,
}
FLOATING_KINDS = {ci.TypeKind.FLOAT, ci.TypeKind.DOUBLE, ci.TypeKind.LONGDOUBLE}
TEMPLATE_PARAMETER_KINDS = {
    ci.CursorKind.TEMPLATE_TYPE_PARAMETER, ci.CursorKind.TEMPLATE_NON_TYPE_PARAMETER,
    ci.CursorKind.TEMPLATE_TEMPLATE_PARAMETER,
}


K = ci.CursorKind

# The constructs the production code uses, each row with why eVC4's compiler
# is known to take it; docs/building.md gives each source in full. The named
# rules above say what that compiler gets wrong; this list refuses whatever
# nobody has shown it to get right. A row's conditions, where it has any, are
# checked in check_allowed.
ALLOW_LIST_PLACE = 'docs/building.md, "The constructs the device compiler is known to take"'
ALLOW_LIST = [
    ("statements", "Visual C++ 6.0 C++ Language Reference, Statements",
     {K.COMPOUND_STMT, K.DECL_STMT, K.IF_STMT, K.SWITCH_STMT, K.CASE_STMT, K.DEFAULT_STMT,
      K.FOR_STMT, K.WHILE_STMT, K.DO_STMT, K.BREAK_STMT, K.CONTINUE_STMT, K.RETURN_STMT}),
    ("expressions", "Visual C++ 6.0 C++ Language Reference, Expressions",
     {K.BINARY_OPERATOR, K.COMPOUND_ASSIGNMENT_OPERATOR, K.UNARY_OPERATOR,
      K.CONDITIONAL_OPERATOR, K.PAREN_EXPR, K.ARRAY_SUBSCRIPT_EXPR, K.CALL_EXPR,
      K.DECL_REF_EXPR, K.MEMBER_REF_EXPR, K.CXX_THIS_EXPR, K.CXX_UNARY_EXPR,
      K.INTEGER_LITERAL, K.FLOATING_LITERAL, K.CHARACTER_LITERAL, K.STRING_LITERAL,
      K.CXX_BOOL_LITERAL_EXPR}),
    ("casts", "Visual C++ 6.0 C++ Language Reference, Expressions (casting operators)",
     {K.CSTYLE_CAST_EXPR, K.CXX_STATIC_CAST_EXPR, K.CXX_REINTERPRET_CAST_EXPR,
      K.CXX_CONST_CAST_EXPR}),
    ("declarations", "Visual C++ 6.0 C++ Language Reference, Declarations",
     {K.NAMESPACE, K.TYPEDEF_DECL, K.ENUM_DECL, K.ENUM_CONSTANT_DECL, K.VAR_DECL,
      K.FUNCTION_DECL, K.PARM_DECL}),
    ("classes and their members' access",
     "Visual C++ 6.0 C++ Language Reference, Classes, Member-Access Control, Special "
     "Member Functions; MFC's headers",
     {K.CLASS_DECL, K.STRUCT_DECL, K.UNION_DECL, K.FIELD_DECL, K.CXX_METHOD, K.CONSTRUCTOR,
      K.DESTRUCTOR, K.CXX_ACCESS_SPEC_DECL, K.MEMBER_REF}),
    ("aggregates initialised by braces, every member public",
     "MFC's message maps (arrays of AFX_MSGMAP_ENTRY); Boost's configuration "
     "(BOOST_NO_PRIVATE_IN_AGGREGATE)",
     {K.INIT_LIST_EXPR}),
    ("virtual functions, overrides with the same return type",
     "eVC4's documentation of C2555 (no covariant return types); MFC's overridables",
     set()),
    ("inheritance: one public, non-virtual base", "MFC: CWinApp, CDialog and the classes "
     "derived from them", {K.CXX_BASE_SPECIFIER}),
    ("friend classes, not templates", "MFC's headers (friend class CWnd)", {K.FRIEND_DECL}),
    ("function templates at namespace scope, type parameters only, arguments deduced",
     "MFC's afxtempl.h (ConstructElements and the other helpers); Boost's configuration "
     "(BOOST_NO_MEMBER_TEMPLATES, BOOST_NO_TEMPLATE_TEMPLATES, "
     "BOOST_NO_DEPENDENT_TYPES_IN_TEMPLATE_VALUE_PARAMETERS, "
     "BOOST_NO_EXPLICIT_FUNCTION_TEMPLATE_ARGUMENTS)",
     {K.FUNCTION_TEMPLATE, K.TEMPLATE_TYPE_PARAMETER}),
    ("the library's std::vector and std::basic_string", "the library headers' table",
     {K.TEMPLATE_REF}),
    ("names of types, namespaces and members", "the rows above", {K.TYPE_REF, K.NAMESPACE_REF}),
    ("what clang's interface leaves unnamed: implicit conversions and constructions, and "
     "NULL as mingw-w64's headers define it", "clang's own nodes, not the code's",
     {K.UNEXPOSED_EXPR, K.GNU_NULL_EXPR}),
]
ALLOWED_KINDS = {kind for _, _, kinds in ALLOW_LIST for kind in kinds}
# Preprocessing: the includes have their own rule.
PREPROCESSING_KINDS = {K.INCLUSION_DIRECTIVE, K.MACRO_DEFINITION, K.MACRO_INSTANTIATION}
LIBRARY_TEMPLATES = {"vector", "basic_string"}
NAMESPACE_SCOPES = {K.NAMESPACE, K.TRANSLATION_UNIT}


class _SourceRangeList(ctypes.Structure):
    _fields_ = [("count", ctypes.c_uint), ("ranges", ctypes.POINTER(ci.SourceRange))]


def load_libclang(path):
    if not ci.Config.loaded:
        ci.Config.set_library_file(path)
    lib = ci.conf.lib
    lib.clang_getSkippedRanges.argtypes = [ci.TranslationUnit, ci.File]
    lib.clang_getSkippedRanges.restype = ctypes.POINTER(_SourceRangeList)
    lib.clang_disposeSourceRangeList.argtypes = [ctypes.POINTER(_SourceRangeList)]
    lib.clang_getOverriddenCursors.argtypes = [
        ci.Cursor, ctypes.POINTER(ctypes.POINTER(ci.Cursor)), ctypes.POINTER(ctypes.c_uint)]
    lib.clang_getOverriddenCursors.restype = None
    lib.clang_disposeOverriddenCursors.argtypes = [ctypes.POINTER(ci.Cursor)]
    lib.clang_disposeOverriddenCursors.restype = None
    lib.clang_isVirtualBase.argtypes = [ci.Cursor]
    lib.clang_isVirtualBase.restype = ctypes.c_uint


class Findings:
    """Reports, each once however many files include the header it is in."""

    def __init__(self, root):
        self.root = root
        self.seen = set()
        self.lines = []

    def add(self, path, line, rule, explanation):
        name = os.path.relpath(path, self.root)
        key = (name, line, rule, explanation)
        if key not in self.seen:
            self.seen.add(key)
            self.lines.append(key)

    def at(self, cursor, rule, explanation):
        location = cursor.location
        self.add(location.file.name, location.line, rule, explanation)

    def sorted(self):
        # A named rule's message says more than the list's on the same line.
        named = {(name, line) for name, line, rule, _ in self.lines if rule != "unlisted"}
        return ["%s:%d: %s: %s" % entry for entry in sorted(self.lines)
                if entry[2] != "unlisted" or entry[:2] not in named]


def in_file(cursor, path):
    location = cursor.location
    return location.file is not None and location.file.name == path


def token_spellings(cursor):
    return [token.spelling for token in cursor.get_tokens()]


def last_child(cursor):
    children = list(cursor.get_children())
    return children[-1] if children else None


def block_statements(compound):
    """A block's statements, with those behind case and other labels."""
    for statement in compound.get_children():
        while statement is not None and statement.kind in (
                ci.CursorKind.CASE_STMT, ci.CursorKind.DEFAULT_STMT, ci.CursorKind.LABEL_STMT):
            statement = last_child(statement)
        if statement is not None:
            yield statement


def declared_variables(declaration_statement):
    return [c for c in declaration_statement.get_children() if c.kind == ci.CursorKind.VAR_DECL]


def for_init_variables(for_statement):
    children = list(for_statement.get_children())
    if children and children[0].kind == ci.CursorKind.DECL_STMT:
        return declared_variables(children[0])
    return []


def check_for_scope(block, parameters, findings):
    # The device compiler puts what a for statement's init declares in the
    # enclosing block, alive to its end.
    seen = {}
    for parameter in parameters:
        seen.setdefault(parameter.spelling, (parameter, "parameter"))
    for statement in block_statements(block):
        if statement.kind == ci.CursorKind.FOR_STMT:
            kind, variables = "for", for_init_variables(statement)
        elif statement.kind == ci.CursorKind.DECL_STMT:
            kind, variables = "declaration", declared_variables(statement)
        else:
            continue
        for variable in variables:
            name = variable.spelling
            if name in seen and "for" in (kind, seen[name][1]):
                earlier, earlier_kind = seen[name]
                findings.at(
                    variable, "for-scope",
                    "'%s' is declared again in the block of the %s at line %d; the device "
                    "compiler keeps a for statement's init declarations alive to the end of "
                    "the enclosing block (C2374)" % (name, earlier_kind, earlier.location.line))
            else:
                seen.setdefault(name, (variable, kind))


def has_explicit_template_arguments(reference):
    return "<" in token_spellings(reference)


def undeduced_parameters(template):
    """The template's parameters that none of its function parameters uses."""
    parameters = [c for c in template.get_children() if c.kind in TEMPLATE_PARAMETER_KINDS]
    used = set()
    for argument in template.get_children():
        if argument.kind != ci.CursorKind.PARM_DECL:
            continue
        for part in argument.walk_preorder():
            referenced = part.referenced
            if referenced is not None and part != referenced:
                used.add(referenced.hash)
    return [p.spelling for p in parameters if p.hash not in used]


def specialized_template(cursor):
    template = ci.conf.lib.clang_getSpecializedCursorTemplate(cursor)
    return template if template is not None and not template.kind.is_invalid() else None


def unlisted(cursor, findings, what):
    findings.at(cursor, "unlisted", "%s (not in the list of what the device compiler is "
                "known to take: %s)" % (what, ALLOW_LIST_PLACE))


def kind_name(kind):
    """CXX_NEW_EXPR as 'new expression'."""
    words = kind.name.lower().split("_")
    if words[0] == "cxx":
        words = words[1:]
    whole = {"expr": "expression", "stmt": "statement", "decl": "declaration"}
    return " ".join(whole.get(word, word) for word in words)


def result_type_spelling(method):
    return method.result_type.get_canonical().spelling


def overridden_return_types(method):
    """The return types of the virtual functions the method overrides."""
    lib = ci.conf.lib
    overridden = ctypes.POINTER(ci.Cursor)()
    count = ctypes.c_uint()
    lib.clang_getOverriddenCursors(method, ctypes.byref(overridden), ctypes.byref(count))
    types = []
    for i in range(count.value):
        base = ci.Cursor.from_buffer_copy(overridden[i])
        base._tu = method._tu
        types.append(result_type_spelling(base))
    if count.value:
        lib.clang_disposeOverriddenCursors(overridden)
    return types


def check_base(base, parent, findings):
    if base.access_specifier != ci.AccessSpecifier.PUBLIC:
        unlisted(base, findings, "a base that is not public")
    if ci.conf.lib.clang_isVirtualBase(base):
        unlisted(base, findings, "a virtual base")
    bases = [c for c in parent.get_children() if c.kind == K.CXX_BASE_SPECIFIER]
    if len(bases) > 1 and base == bases[1]:
        unlisted(base, findings, "more than one base")


def check_friend(friend, findings):
    for befriended in friend.get_children():
        if befriended.kind in (K.FUNCTION_TEMPLATE, K.CLASS_TEMPLATE):
            unlisted(friend, findings, "a friend template")
        elif befriended.kind != K.TYPE_REF:
            unlisted(friend, findings, "a friend function")


def check_aggregate(initializer, findings):
    declaration = initializer.type.get_canonical().get_declaration()
    if declaration is None or declaration.kind not in CLASS_KINDS:
        return
    for member in declaration.get_children():
        if member.kind == K.CXX_BASE_SPECIFIER:
            unlisted(initializer, findings, "a class with a base initialised by braces")
            return
        if member.kind != K.CXX_ACCESS_SPEC_DECL and member.access_specifier in (
                ci.AccessSpecifier.PRIVATE, ci.AccessSpecifier.PROTECTED):
            unlisted(initializer, findings,
                     "'%s' initialised by braces with a member that is not public ('%s')"
                     % (declaration.spelling, member.spelling))
            return


def check_allowed(cursor, parent, findings):
    """What the cursor is, against the list of what the device compiler takes."""
    kind = cursor.kind
    if kind in PREPROCESSING_KINDS:
        return
    if kind not in ALLOWED_KINDS:
        unlisted(cursor, findings, kind_name(kind))
    elif kind == K.FUNCTION_TEMPLATE:
        if parent is not None and parent.kind not in NAMESPACE_SCOPES | {K.FRIEND_DECL}:
            unlisted(cursor, findings, "a function template outside namespace scope")
    elif kind in (K.FUNCTION_DECL, K.CXX_METHOD) or kind in CLASS_KINDS:
        template = specialized_template(cursor)
        # Clang lists each instance of a function template among the file's
        # declarations, placed where the template is; a specialisation is
        # written in a place of its own.
        if template is not None and template.location != cursor.location:
            unlisted(cursor, findings, "an explicit specialisation")
        elif kind == K.CXX_METHOD and cursor.is_virtual_method():
            own = result_type_spelling(cursor)
            if any(other != own for other in overridden_return_types(cursor)):
                unlisted(cursor, findings, "an override whose return type differs from the "
                         "overridden function's (covariant)")
    elif kind == K.CXX_BASE_SPECIFIER:
        check_base(cursor, parent, findings)
    elif kind == K.FRIEND_DECL:
        check_friend(cursor, findings)
    elif kind == K.INIT_LIST_EXPR:
        check_aggregate(cursor, findings)
    elif kind == K.TEMPLATE_REF:
        referenced = cursor.referenced
        if cursor.spelling not in LIBRARY_TEMPLATES or (
                referenced is not None and referenced.location.file is not None
                and referenced.location.file.name.startswith(findings.root + os.sep)):
            unlisted(cursor, findings, "the template '%s'" % cursor.spelling)


def check_reference(cursor, findings):
    referenced = cursor.referenced
    if referenced is None or referenced.kind not in FUNCTION_KINDS:
        return
    template = specialized_template(referenced)
    if (template is not None and template.kind == ci.CursorKind.FUNCTION_TEMPLATE
            and has_explicit_template_arguments(cursor)):
        undeduced = undeduced_parameters(template)
        if undeduced:
            findings.at(
                cursor, "explicit-template-arguments",
                "'%s' is called with explicit template arguments for %s, which its "
                "parameters do not deduce; the device compiler merges such instantiations "
                "and may call the wrong one" % (referenced.spelling, ", ".join(undeduced)))
        else:
            unlisted(cursor, findings, "explicit template arguments")
    parent = referenced.semantic_parent
    if (referenced.kind == ci.CursorKind.CXX_METHOD and referenced.spelling in STRING_MEMBERS
            and parent is not None and parent.spelling.startswith("basic_string")):
        findings.at(
            cursor, "string-member",
            "std::basic_string::%s is not in the device's library; %s"
            % (referenced.spelling, STRING_MEMBERS[referenced.spelling]))


def check_namespace_reference(cursor, tokens, findings):
    # A name written std::name, as the parser resolved std.
    if cursor.spelling != "std":
        return
    name = tokens.qualified_name(cursor.extent.start.offset)
    if name is None:
        return
    if name in C_LIBRARY_NAMES:
        findings.at(cursor, "std-c-name",
                    "std::%s: the device's C headers declare %s in the global namespace only; "
                    "include the .h header and write %s" % (name, name, name))
    elif name in ("min", "max"):
        findings.at(cursor, "std-min-max",
                    "std::%s is not in the device's library (Visual C++ 6.0's has _cpp_%s); "
                    "compare in place" % (name, name))


def check_cursor(cursor, parent, tokens, findings):
    check_allowed(cursor, parent, findings)
    kind = cursor.kind
    if kind == ci.CursorKind.COMPOUND_STMT:
        parameters = []
        if parent is not None and parent.kind in FUNCTION_KINDS | {ci.CursorKind.FUNCTION_TEMPLATE}:
            parameters = [c for c in parent.get_children() if c.kind == ci.CursorKind.PARM_DECL]
        check_for_scope(cursor, parameters, findings)
    elif kind == ci.CursorKind.VAR_DECL and parent is not None and parent.kind in CLASS_KINDS:
        if any(child.kind.is_expression() for child in cursor.get_children()):
            findings.at(cursor, "static-member-initializer",
                        "static data member '%s' is initialised in its class; the device "
                        "compiler wants an enum or a definition outside the class" % cursor.spelling)
    elif kind == ci.CursorKind.FUNCTION_TEMPLATE:
        for parameter in cursor.get_children():
            if parameter.kind in TEMPLATE_PARAMETER_KINDS and "=" in token_spellings(parameter):
                findings.at(parameter, "function-template-default",
                            "function template '%s' has a default template argument, which the "
                            "device compiler does not accept" % cursor.spelling)
    elif kind == ci.CursorKind.CLASS_TEMPLATE_PARTIAL_SPECIALIZATION:
        findings.at(cursor, "partial-specialization",
                    "partial specialisation of '%s': the device compiler has none" % cursor.spelling)
    elif kind in (ci.CursorKind.DECL_REF_EXPR, ci.CursorKind.MEMBER_REF_EXPR):
        check_reference(cursor, findings)
    elif kind == ci.CursorKind.NAMESPACE_REF:
        check_namespace_reference(cursor, tokens, findings)
    elif kind == ci.CursorKind.RETURN_STMT:
        value = last_child(cursor)
        if value is not None and value.type.kind == ci.TypeKind.VOID:
            findings.at(cursor, "void-return",
                        "return of an expression of type void; the device compiler rejects it")
    if kind.is_expression() and cursor.type.get_canonical().kind in FLOATING_KINDS:
        for operand in cursor.get_children():
            if (operand.kind.is_expression()
                    and operand.type.get_canonical().kind == ci.TypeKind.ULONGLONG):
                findings.at(operand, "unsigned-int64-to-double",
                            "an unsigned __int64 made floating point: the device compiler "
                            "converts only the signed __int64 (C2520)")
    if (kind in (ci.CursorKind.FUNCTION_TEMPLATE, ci.CursorKind.CLASS_TEMPLATE)
            and cursor.semantic_parent is not None and cursor.semantic_parent.kind in CLASS_KINDS):
        findings.at(cursor, "member-template",
                    "member template '%s': the device compiler's support for them is "
                    "incomplete" % cursor.spelling)


def walk(cursor, parent, tokens, findings):
    check_cursor(cursor, parent, tokens, findings)
    for child in cursor.get_children():
        walk(child, cursor, tokens, findings)


def skipped_ranges(tu, path):
    """Offsets of the file's lines that the preprocessor left out."""
    lib = ci.conf.lib
    ranges = lib.clang_getSkippedRanges(tu, ci.File.from_name(tu, path))
    spans = []
    if ranges:
        for i in range(ranges.contents.count):
            span = ranges.contents.ranges[i]
            spans.append((span.start.offset, span.end.offset))
        lib.clang_disposeSourceRangeList(ranges)
    return spans


class FileTokens:
    """The tokens of one file that the preprocessor kept, by their offsets."""

    def __init__(self, tu, path):
        size = os.path.getsize(path)
        source_file = ci.File.from_name(tu, path)
        extent = ci.SourceRange.from_locations(
            ci.SourceLocation.from_offset(tu, source_file, 0),
            ci.SourceLocation.from_offset(tu, source_file, size))
        spans = skipped_ranges(tu, path)
        self.tokens = [t for t in tu.get_tokens(extent=extent)
                       if not any(start <= t.extent.start.offset < end for start, end in spans)]
        self.index = {t.extent.start.offset: i for i, t in enumerate(self.tokens)}

    def qualified_name(self, offset):
        """The name after `::` when the token at `offset` is followed by one."""
        at = self.index.get(offset)
        if at is None or at + 2 >= len(self.tokens) or self.tokens[at + 1].spelling != "::":
            return None
        return self.tokens[at + 2].spelling


def check_tokens(path, tokens, findings):
    previous = None
    for token in tokens:
        spelling = token.spelling
        if token.kind == ci.TokenKind.KEYWORD and spelling == "long" and previous == "long":
            findings.add(path, token.location.line, "long-long",
                         "'long long' is not a type to the device compiler; use __int64")
        elif token.kind == ci.TokenKind.LITERAL and spelling[:1].isdigit():
            if spelling.lower().rstrip("u").endswith("ll"):
                findings.add(path, token.location.line, "long-long",
                             "the suffix of %s is not known to the device compiler; use i64"
                             % spelling)
        previous = spelling if token.kind == ci.TokenKind.KEYWORD else None


def check_includes(top_level, path, root, findings):
    for directive, name in top_level:
        if directive.kind != ci.CursorKind.INCLUSION_DIRECTIVE or name != path:
            continue
        included = directive.get_included_file()
        if included is not None:
            real = os.path.realpath(included.name)
            if real.startswith(root + os.sep) and not real.startswith(
                    os.path.join(root, "tools") + os.sep):
                continue
        written = directive.spelling
        if written in ALLOWED_HEADERS:
            continue
        if written.startswith("c") and written[1:] + ".h" in ALLOWED_HEADERS:
            advice = "include <%s.h>, which declares the names in the global namespace" % written[1:]
        else:
            advice = "the device's SDK and C++ library are not known to have it"
        findings.at(directive, "library-header",
                    "<%s> is not on the device's list of headers; %s" % (written, advice))


def with_file_names(cursors):
    """Each cursor with the name of the file it is in, None for none."""
    named = []
    for cursor in cursors:
        source_file = cursor.location.file
        named.append((cursor, source_file.name if source_file is not None else None))
    return named


def collect_functions(named_cursors, root, into):
    for child, name in named_cursors:
        if name is None or not name.startswith(root + os.sep):
            continue
        if child.kind in FUNCTION_KINDS:
            into.append(child)
        elif child.kind in CLASS_KINDS or child.kind == ci.CursorKind.NAMESPACE:
            collect_functions(with_file_names(child.get_children()), root, into)


def check_wide_overloads(top_level, path, root, findings):
    # The device compiler's wchar_t is unsigned short: overloads told apart
    # only by the two are one function there.
    functions = []
    collect_functions(top_level, root, functions)
    signatures = {}
    for function in functions:
        parent = function.semantic_parent
        key = (parent.get_usr() if parent is not None else "", function.spelling)
        types = tuple(a.type.get_canonical().spelling for a in function.get_arguments())
        signatures.setdefault(key, {}).setdefault(types, function)
    for overloads in signatures.values():
        merged = {}
        for types, function in overloads.items():
            narrowed = tuple(t.replace("wchar_t", "unsigned short") for t in types)
            if narrowed in merged and merged[narrowed][0] != types:
                other = merged[narrowed][1]
                later = max((function, other), key=lambda c: (c.location.file.name,
                                                             c.location.line))
                if in_file(later, path):
                    findings.at(later, "wchar-overload",
                                "'%s' is overloaded only on wchar_t against unsigned short; the "
                                "device compiler's wchar_t is unsigned short" % function.spelling)
            else:
                merged.setdefault(narrowed, (types, function))


class Checker:
    def __init__(self, root, clang_args, libclang=DEFAULT_LIBCLANG):
        load_libclang(libclang)
        self.root = os.path.realpath(root)
        self.findings = Findings(self.root)
        self.temporary = tempfile.TemporaryDirectory(prefix="dialect_check")
        self.index = ci.Index.create(excludeDecls=True)
        # Warnings are the device-branch compile's business; a header read on
        # its own would make its unused constants errors.
        args = [a for a in clang_args if a != "-Werror"]
        self.args = self._precompile_forced_include(args)

    def _precompile_forced_include(self, args):
        if "-include" not in args:
            return args
        at = args.index("-include")
        header = args[at + 1]
        rest = args[:at] + args[at + 2:]
        pch = os.path.join(self.temporary.name, "forced.pch")
        unit = ci.Index.create().parse(header, args=rest + ["-x", "c++-header"],
                                       options=ci.TranslationUnit.PARSE_INCOMPLETE)
        if any(d.severity >= ci.Diagnostic.Error for d in unit.diagnostics):
            return args
        unit.save(pch)
        return rest + ["-include-pch", pch]

    def check_file(self, path):
        path = os.path.realpath(path)
        tu = self.index.parse(path, args=self.args + ["-x", "c++"],
                              options=ci.TranslationUnit.PARSE_DETAILED_PROCESSING_RECORD)
        errors = [d for d in tu.diagnostics if d.severity >= ci.Diagnostic.Error]
        for error in errors:
            location = error.location
            self.findings.add(location.file.name if location.file else path, location.line,
                              "parse", error.spelling)
        if errors:
            return
        tokens = FileTokens(tu, path)
        # The unit's declarations, headers' included, are many: each one's
        # file is asked for once.
        top_level = with_file_names(tu.cursor.get_children())
        for cursor, name in top_level:
            if name == path:
                walk(cursor, None, tokens, self.findings)
        check_tokens(path, tokens.tokens, self.findings)
        check_includes(top_level, path, self.root, self.findings)
        check_wide_overloads(top_level, path, self.root, self.findings)


def main(argv):
    if "--" in argv:
        split = argv.index("--")
        own, clang_args = argv[:split], argv[split + 1:]
    else:
        own, clang_args = argv, []
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--root", required=True, help="the repository's top folder")
    parser.add_argument("--libclang", default=DEFAULT_LIBCLANG)
    parser.add_argument("files", nargs="+")
    options = parser.parse_args(own)
    checker = Checker(options.root, clang_args, options.libclang)
    for path in options.files:
        checker.check_file(path)
    lines = checker.findings.sorted()
    for line in lines:
        print(line)
    print("%d files read as the device compiler reads them: %d findings"
          % (len(options.files), len(lines)))
    return 1 if lines else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
