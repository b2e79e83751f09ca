" Scripts are named NAME.zor.txt; the zor type wins over the text type of *.txt.
autocmd BufNewFile,BufRead *.zor.txt set filetype=zor
