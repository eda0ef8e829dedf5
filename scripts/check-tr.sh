#!/usr/bin/env bash
# Fails when a user-visible text in the program's code skips translation: a string literal
# (plain, QStringLiteral, QLatin1String or QString::fromUtf8) with a letter in it, passed
# straight to a call that shows text (setText, setWindowTitle, setToolTip, addAction,
# QMessageBox::warning, new QLabel(...), ...) instead of through tr() or translate().
# Texts that are right untranslated (a product name, a file pattern, a unit symbol) are
# listed in scripts/check-tr.allow, one "file: text" a line, the text being part of the line
# that is reported. The tests, benchmarks and fuzzers are not looked at.
set -euo pipefail
cd "$(dirname "$0")/.."

literal='(QStringLiteral\s*\(\s*|QLatin1String\s*\(\s*|QString::fromUtf8\s*\(\s*|QString\s*\(\s*)?"[^"]*[A-Za-z]'
setters='setText|setWindowTitle|setToolTip|setStatusTip|setWhatsThis|setPlaceholderText|setTitle'
setters+='|setLabelText|setAccessibleName|setAccessibleDescription|setInformativeText'
setters+='|setDetailedText|showMessage|setSpecialValueText|setSuffix|setPrefix|setWindowIconText'
setters+='|addAction|addMenu|addItem|insertItem|setItemText|setTabText|setTabToolTip'
widgets='QLabel|QPushButton|QCheckBox|QRadioButton|QGroupBox|QAction|QMenu|QToolButton|QCommandLinkButton'
patterns=(
    "\\b($setters)\\s*\\(\\s*$literal"
    "\\b(addTab|insertTab|addItem|insertItem|addAction)\\s*\\([^;\"]*,\\s*$literal"
    "QMessageBox::(information|warning|critical|question|about)\\s*\\([^,;]*,\\s*$literal"
    "QMessageBox::(information|warning|critical|question)\\s*\\([^,;]*,[^,;]*,\\s*$literal"
    "\\bnew\\s+($widgets)\\s*\\(\\s*$literal"
    "\\b($widgets)\\s+\\w+\\s*[({]\\s*$literal"
)

# check-tr.sh [files...]: the files given, or the program's sources.
if [ $# -gt 0 ]; then
    files=("$@")
else
    mapfile -t files < <(git ls-files '*.cpp' '*.h' | grep -v -E '^(tests|bench|fuzz)/')
fi
allow=scripts/check-tr.allow
report=$(mktemp)
trap 'rm -f "$report"' EXIT
for pattern in "${patterns[@]}"; do
    while IFS= read -r hit; do
        file=${hit%%:*}
        line=${hit#*:}
        line=${line#*:}
        allowed=0
        while IFS= read -r entry; do
            [ -z "$entry" ] || [ "${entry:0:1}" = "#" ] && continue
            [ "${entry%%: *}" = "$file" ] && [[ "$line" == *"${entry#*: }"* ]] && { allowed=1; break; }
        done <"$allow"
        [ "$allowed" = 0 ] && echo "$hit"
    done < <(grep -H -n -P "$pattern" "${files[@]}" | grep -v -P '^[^:]+:\d+:\s*//' || true)
done | sort -u >"$report"
if [ -s "$report" ]; then
    cat "$report"
    echo "Translation: $(wc -l <"$report") user-visible text(s) above skip tr();" \
        "wrap them, or list them in $allow"
    exit 1
fi
echo "Translation: every user-visible literal goes through tr()"
