# Sourced by bench/run.sh and bench/html/run.sh: installs the HTML reference
# tools when missing, writes the pages once and fills html_commands with
# "LABEL=COMMAND" entries for compare.py, the floor (cat) first, and
# html_versus with compare.py's --versus argument.
# Needs: cli (path of quillfen-cli), run from the repository root.

html_pages=bench/work/html/pages
html_node=bench/html/node

html_install_tools() {
    local missing=()
    command -v html2text >/dev/null || missing+=(html2text)
    command -v lynx >/dev/null || missing+=(lynx)
    command -v w3m >/dev/null || missing+=(w3m)
    command -v node >/dev/null || missing+=(nodejs)
    command -v npm >/dev/null || missing+=(npm)
    if ((${#missing[@]})); then
        local sudo=""
        [[ $(id -u) -ne 0 ]] && sudo=sudo
        $sudo apt-get update -qq && $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
    fi
    # npm's html-to-text lives in the benchmark's own folder, at the
    # version package.json pins.
    if [[ ! -d "$html_node/node_modules/html-to-text" ]]; then
        npm install --prefix "$html_node" --no-audit --no-fund --silent >/dev/null
    fi
}

html_make_pages() {
    [[ -f "$html_pages/page199.html" ]] ||
        python3 bench/html/generate_pages.py "$html_pages" 200 250000
}

# Every tool reads the same 200 pages. quillfen-cli, html2text, w3m and the
# node script take them all in one process; lynx takes one page a process.
html_fill_commands() {
    local all="$html_pages/*.html"
    html_commands=(
        "cat (HTML pages)=cat $all"
        "quillfen-cli --text (HTML)=$cli --text $all"
        "quillfen-cli --paragraphs (HTML)=$cli --paragraphs $all"
        "html2text=html2text -utf8 -nobs $all"
        "lynx -dump (a process a page)=for f in $all; do lynx -dump -nolist -force_html -assume_charset=utf-8 -display_charset=utf-8 \"\$f\"; done"
        "w3m -dump=w3m -dump -T text/html -I UTF-8 -O UTF-8 $all"
        "html-to-text (npm)=node $html_node/convert.js $all"
    )
    html_versus="--versus=quillfen-cli --text (HTML),quillfen-cli --paragraphs (HTML)"
    html_versus+=":html2text,lynx -dump (a process a page),w3m -dump,html-to-text (npm)"
}

html_prepare() {
    html_install_tools
    html_make_pages
    html_fill_commands
    echo "HTML pages: $(du -sh "$html_pages" | cut -f1) in $(ls "$html_pages" | wc -l) files;" \
        "html-to-text $(node -p "require('./$html_node/node_modules/html-to-text/package.json').version")," \
        "node $(node --version)"
}
